# The Windows program, its Win32 layer and the two Wine-run test rings.
enable_language(RC)

if(NOT MSVC)
  # A clean Windows has no MinGW runtime DLLs: link the C and C++ runtimes in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QMO_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(QMO_ICONS app.ico tray.ico tray_anim_1.ico tray_anim_2.ico tray_anim_3.ico tray_anim_4.ico popup_close.bmp)
list(TRANSFORM QMO_ICONS PREPEND ${QMO_ART_DIR}/ OUTPUT_VARIABLE QMO_ICON_FILES)
add_custom_command(
  OUTPUT ${QMO_ICON_FILES}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/res/art/draw_icons.py ${QMO_ART_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/art/draw_icons.py
  COMMENT "Drawing the icons"
)
# The banner, the task icon strip and the Optimize Memory button picture.
set(QMO_BANNER_ART banner_left.bmp banner_middle.bmp banner_right.bmp task_icons.bmp optimize_button.bmp)
list(TRANSFORM QMO_BANNER_ART PREPEND ${QMO_ART_DIR}/ OUTPUT_VARIABLE QMO_BANNER_FILES)
add_custom_command(
  OUTPUT ${QMO_BANNER_FILES}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/res/art/draw_banner.py ${QMO_ART_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/art/draw_banner.py ${CMAKE_SOURCE_DIR}/res/art/draw_icons.py
  COMMENT "Drawing the banner and the task icons"
)
list(APPEND QMO_ICON_FILES ${QMO_BANNER_FILES})
set(QMO_PAGE_RESOURCES ${CMAKE_SOURCE_DIR}/res/pages.rc ${CMAKE_SOURCE_DIR}/res/pages_resource.h
  ${CMAKE_SOURCE_DIR}/res/process.rc ${CMAKE_SOURCE_DIR}/res/process_resource.h)
add_custom_target(qmo_art DEPENDS ${QMO_ICON_FILES})
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/app.rc PROPERTIES
  OBJECT_DEPENDS "${QMO_ICON_FILES};${QMO_PAGE_RESOURCES};${CMAKE_SOURCE_DIR}/res/app.manifest;${CMAKE_SOURCE_DIR}/res/resource.h")

# The Win32 layer, shared by the program and the Windows tests.
add_library(qmo_win32 STATIC
  app/memory_optimizer_app.cpp
  app/single_instance.cpp
  config/registry_run_entry.cpp
  config/settings_page.cpp
  framework/application.cpp
  framework/dialog.cpp
  framework/frame_window.cpp
  framework/registry_profile.cpp
  framework/text.cpp
  framework/window.cpp
  optimizer/optimize_progress_dlg.cpp
  optimizer/optimizer_win32.cpp
  perf/performance_page.cpp
  process/process_page.cpp
  shell/main_frame.cpp
  shell/page_dialog.cpp
  shell/tessel_view.cpp
  toolkit/popup_window.cpp
  toolkit/caption_bar.cpp
  toolkit/image_strip.cpp
  toolkit/page_tab_control.cpp
  toolkit/task_panel.cpp
  toolkit/task_panel_painter.cpp
  toolkit/themed_button.cpp
  toolkit/ui_fonts.cpp
  toolkit/ui_paint.cpp
  toolkit/ui_palette.cpp
  toolkit/resize_dialog.cpp
  toolkit/tray_icon.cpp
  process/fit_header_ctrl.cpp
  process/process_inspector_win32.cpp
  process/sort_list_ctrl.cpp
  process/system_image_list.cpp
)
target_link_libraries(qmo_win32 PUBLIC qmo_core comctl32 shell32 user32 gdi32 advapi32 psapi)

# Resources of the program, linked into the exe and into the Windows tests.
add_library(qmo_resources OBJECT res/app.rc)
target_include_directories(qmo_resources PRIVATE ${CMAKE_SOURCE_DIR}/res ${QMO_ART_DIR})
add_dependencies(qmo_resources qmo_art)

add_executable(QuenvaleMemoryOptimizer WIN32 app/main.cpp $<TARGET_OBJECTS:qmo_resources>)
target_link_libraries(QuenvaleMemoryOptimizer PRIVATE qmo_win32)
if(NOT MSVC)
  target_link_options(QuenvaleMemoryOptimizer PRIVATE -municode)
endif()
set_target_properties(QuenvaleMemoryOptimizer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_subdirectory(tests/windows)
add_subdirectory(tests/e2e)

# Benchmarks print figures; scripts/bench.sh runs them under wine.
add_executable(qmo_bench tests/bench/bench_main.cpp tests/bench/process_list_bench.cpp
  $<TARGET_OBJECTS:qmo_resources>)
target_link_libraries(qmo_bench PRIVATE qmo_win32)
set_target_properties(qmo_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
