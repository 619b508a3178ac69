# The diagnostics window driven from the main window.
vantor_qt_test(diagnostics_dialog_tests ${CMAKE_CURRENT_SOURCE_DIR}/diagnostics_dialog_test.cpp)
