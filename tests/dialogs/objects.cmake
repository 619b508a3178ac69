# The object dialogs: their window-free logic with GoogleTest, the dialogs
# themselves driven through a real main window.
vantor_test(object_model_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/editor_model_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/randomizer_model_test.cpp
  LIBS vantor_dialog_models)
vantor_qt_test(object_dialogs_tests ${CMAKE_CURRENT_SOURCE_DIR}/object_dialogs_test.cpp)
vantor_qt_test(object_editor_usability_tests ${CMAKE_CURRENT_SOURCE_DIR}/object_editor_usability_test.cpp)
