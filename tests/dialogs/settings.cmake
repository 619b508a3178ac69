# The settings family: the period fields' logic without widgets, and the
# dialogs driven from the main window.
vantor_test(period_fields_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/period_fields_test.cpp LIBS vantor_settings_logic)
vantor_qt_test(view_dialogs_tests ${CMAKE_CURRENT_SOURCE_DIR}/view_dialogs_test.cpp)
vantor_qt_test(settings_dialogs_tests ${CMAKE_CURRENT_SOURCE_DIR}/settings_dialogs_test.cpp)
