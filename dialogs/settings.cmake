# The settings family: viewpoint and origin, autosave and automatic stop,
# the small settings dialogs, scenery info and About. The period fields'
# logic has no Qt and is a library of its own, tested without widgets.
add_library(vantor_settings_logic STATIC ${CMAKE_CURRENT_SOURCE_DIR}/period_fields.cpp)
set_target_properties(vantor_settings_logic PROPERTIES AUTOMOC OFF)
target_link_libraries(vantor_settings_logic PUBLIC vantor_engine)

target_sources(vantor_dialogs PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_dialogs.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_widgets.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/view_dialogs.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/period_dialogs.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/small_settings_dialogs.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/info_dialogs.cpp)
target_link_libraries(vantor_dialogs PUBLIC vantor_settings_logic)
