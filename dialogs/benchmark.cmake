target_sources(vantor_dialogs PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/benchmark_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/benchmark_dialog.h)
target_link_libraries(vantor_dialogs PUBLIC vantor_benchmark)
