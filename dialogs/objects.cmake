# The object dialogs: editor, randomizer, static scenery count, spacecraft.
# Their window-free logic is a library of its own, so that it is tested
# without Qt and cannot include it.
add_library(vantor_dialog_models STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/editor_model.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/randomizer_model.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/field_text.cpp)
set_target_properties(vantor_dialog_models PROPERTIES AUTOMOC OFF)
target_link_libraries(vantor_dialog_models PUBLIC vantor_render)

target_sources(vantor_dialogs PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/object_dialogs.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dialog_keys.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/object_lists.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/object_editor.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/object_randomizer.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/static_scenery_dialog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/spacecraft_dialog.cpp)
target_link_libraries(vantor_dialogs PUBLIC vantor_dialog_models vantor_spacecraft)
