# One library per folder, stacked in floors. A folder sees (includes) and
# links only the folders below it: each library compiles against an include
# root of its own that holds links to exactly those folders, so an include
# that runs back up does not build.
#
#   framework -> optimizer -> toolkit -> pages -> config -> perf, process, about, history -> shell -> app
#
# Each floor may use those before it on that line; the libraries below ask
# less still: optimizer/ and toolkit/ stand on framework/ alone, about/ on
# pages/ and what that stands on.
#
# Portable sources (no <windows.h>) are built for every target; the Win32
# sources only for the windows target.
set(QMO_FLOOR_ROOT ${CMAKE_BINARY_DIR}/floors)

# qmo_floor(<folder> [BELOW <folders>...] [PORTABLE <files>...] [WIN32 <files>...])
function(qmo_floor folder)
  cmake_parse_arguments(FLOOR "" "" "BELOW;PORTABLE;WIN32" ${ARGN})
  set(sources ${FLOOR_PORTABLE})
  if(QMO_TARGET STREQUAL "windows")
    list(APPEND sources ${FLOOR_WIN32})
  endif()
  list(TRANSFORM sources PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)

  set(visible ${folder} res)
  foreach(lower IN LISTS FLOOR_BELOW)
    get_property(lowerVisible GLOBAL PROPERTY QMO_FLOOR_SEES_${lower})
    list(APPEND visible ${lowerVisible})
  endforeach()
  list(REMOVE_DUPLICATES visible)
  set_property(GLOBAL PROPERTY QMO_FLOOR_SEES_${folder} ${visible})

  set(root ${QMO_FLOOR_ROOT}/${folder})
  file(MAKE_DIRECTORY ${root})
  foreach(seen IN LISTS visible)
    if(NOT IS_DIRECTORY ${root}/${seen})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${seen} ${root}/${seen} RESULT linked SYMBOLIC)
      if(NOT linked EQUAL 0)
        # A Windows account without the right to make links: build without the fence.
        message(WARNING "cannot link ${root}/${seen} (${linked}); floors are not enforced in this build")
        set(root ${CMAKE_SOURCE_DIR})
        break()
      endif()
    endif()
  endforeach()

  list(TRANSFORM FLOOR_BELOW PREPEND qmo_)
  if(sources)
    add_library(qmo_${folder} STATIC ${sources})
    target_include_directories(qmo_${folder} PRIVATE ${root})
    target_link_libraries(qmo_${folder} PUBLIC ${FLOOR_BELOW})
  else()
    add_library(qmo_${folder} INTERFACE)
    target_link_libraries(qmo_${folder} INTERFACE ${FLOOR_BELOW})
  endif()
  set_property(GLOBAL PROPERTY QMO_FLOOR_ROOT_${folder} ${root})
endfunction()

qmo_floor(framework
  PORTABLE format_decimal.cpp texts.cpp utf.cpp
  WIN32 application.cpp dialog.cpp event_log_win32.cpp frame_window.cpp resource_language.cpp texts_win32.cpp resource_usage.cpp sent_only_messages.cpp startup_trace.cpp
        subclassed_control.cpp
        text.cpp window.cpp window_dpi.cpp)
qmo_floor(optimizer BELOW framework
  PORTABLE exclusions.cpp optimizer_engine.cpp freed_memory.cpp memory_reading.cpp memory_areas.cpp memory_service.cpp run_policy.cpp
           run_record.cpp run_history.cpp run_events.cpp
  WIN32 optimizer_win32.cpp memory_system_win32.cpp memory_service_win32.cpp
        history_file_win32.cpp)
qmo_floor(toolkit BELOW framework
  PORTABLE popup/popup_elements.cpp popup/popup_content.cpp popup/popup_timeline.cpp button_layout.cpp page_tab_layout.cpp task_panel/task_panel_model.cpp
           anchor_layout.cpp tray_icon_rules.cpp column_fit.cpp theme_colors.cpp
  WIN32 popup/popup_window.cpp caption_bar.cpp image_strip.cpp page_tab_control.cpp task_panel/task_panel.cpp
        task_panel/task_panel_painter.cpp owner_drawn_button.cpp themed_button.cpp ui_fonts.cpp ui_paint.cpp ui_palette.cpp resize_dialog.cpp
        tray_icon.cpp tray_number_icon.cpp dark_mode.cpp dark_menu.cpp themed_dialog.cpp shell_opener.cpp hyperlink_static.cpp fit_header_ctrl.cpp sort_list_ctrl.cpp
        system_image_list.cpp accessible_control.cpp text_fit.cpp locked_control.cpp)
qmo_floor(pages BELOW toolkit optimizer
  WIN32 page_dialog.cpp)
qmo_floor(config BELOW pages
  PORTABLE optimizer_settings.cpp profile_value_codec.cpp settings_page_logic.cpp logon_task.cpp
           language_choice.cpp settings_policy.cpp
           logon_task_keeper.cpp emergency_shortcut.cpp
  WIN32 registry_profile.cpp registry_policy.cpp registry_run_entry.cpp settings_page.cpp logon_task_win32.cpp memory_areas_dlg.cpp shipped_languages.cpp
        exclusions_dlg.cpp automatic_runs_dlg.cpp policy_locks.cpp)
qmo_floor(perf BELOW config
  PORTABLE pdh_query.cpp gauge_and_graph.cpp performance_sampler.cpp automatic_schedule.cpp commit_warning.cpp
  WIN32 perf_win32.cpp layered_picture.cpp performance_controls.cpp performance_page.cpp performance_monitor.cpp)
qmo_floor(process BELOW config
  PORTABLE process_snapshot.cpp process_sort.cpp process_page_logic.cpp snapshot_worker.cpp
  WIN32 process_page.cpp process_inspector_win32.cpp)
qmo_floor(about BELOW pages
  WIN32 about_dlg.cpp)
qmo_floor(history BELOW config
  PORTABLE history_rows.cpp
  WIN32 history_window.cpp)
qmo_floor(shell BELOW perf process about history
  PORTABLE frame_input_filter.cpp help_file.cpp view_layout.cpp main_frame_logic.cpp navigation.cpp appearance.cpp
           popup_notifications.cpp
  WIN32 main_frame.cpp tessel_view.cpp optimize_progress_dlg.cpp)
qmo_floor(app BELOW shell
  PORTABLE command_line.cpp
  WIN32 memory_optimizer_app.cpp single_instance.cpp)
