# The diagnostics window: conservation figures and their chart (Qt Charts).
find_package(Qt6 REQUIRED COMPONENTS Charts)
target_sources(vantor_dialogs PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/diagnostics_dialog.cpp)
target_link_libraries(vantor_dialogs PUBLIC Qt6::Charts)
