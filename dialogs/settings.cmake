target_sources(vantor_dialogs PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/settings_dialogs.cpp)
