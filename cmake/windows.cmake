# The Windows program, its Win32 layer and the two Wine-run test rings.
enable_language(RC)

if(NOT MSVC)
  # A clean Windows has no MinGW runtime DLLs: link the C and C++ runtimes in.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()
# Sections start on page boundaries in the file, so a loader can map them from
# the file (shared and paged in on use); wine copies a misaligned image's
# sections, resources and code included, into the process's private memory.
if(MSVC)
  add_link_options(/FILEALIGN:4096)
else()
  add_link_options(-Wl,--file-alignment,4096)
  # Each thread's stack is 1 MiB, as a Microsoft linker gives it, not the
  # 2 MiB of MinGW's: wine commits a thread's whole stack, so a worker's
  # costs its full size in private memory while it lives (and after, until
  # wine reuses it).
  add_link_options(-Wl,--stack,1048576)
endif()
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# The artwork is committed, drawn by res/art/draw_art.py (the native ring checks it).
set(QMO_ART_DIR ${CMAKE_SOURCE_DIR}/res/art/out)
set(QMO_ART app.ico tray.ico tray_anim_1.ico tray_anim_2.ico tray_anim_3.ico tray_anim_4.ico popup_close.bmp
  banner_left.bmp banner_middle.bmp banner_right.bmp task_icons.bmp optimize_button.bmp)
list(TRANSFORM QMO_ART PREPEND ${QMO_ART_DIR}/ OUTPUT_VARIABLE QMO_ART_FILES)
set(QMO_PAGE_RESOURCES ${CMAKE_SOURCE_DIR}/res/pages.rc ${CMAKE_SOURCE_DIR}/res/pages_resource.h
  ${CMAKE_SOURCE_DIR}/res/about.rc ${CMAKE_SOURCE_DIR}/res/about_resource.h
  ${CMAKE_SOURCE_DIR}/res/process.rc ${CMAKE_SOURCE_DIR}/res/process_resource.h
  ${CMAKE_SOURCE_DIR}/res/history.rc ${CMAKE_SOURCE_DIR}/res/history_resource.h
  ${CMAKE_SOURCE_DIR}/res/optimizer.rc ${CMAKE_SOURCE_DIR}/res/optimizer_resource.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/app.rc PROPERTIES
  OBJECT_DEPENDS "${QMO_ART_FILES};${QMO_PAGE_RESOURCES};${CMAKE_SOURCE_DIR}/res/app.manifest;${CMAKE_SOURCE_DIR}/res/resource.h")

# Every floor with its system libraries, for the program and its Windows tests.
# oleacc is looked up when first needed (framework/system_function.h); the
# common controls and COM are loaded at their first call (delay_load.cmake).
include(${CMAKE_SOURCE_DIR}/cmake/delay_load.cmake)
qmo_link_delay_loaded(qmo_framework comctl32 ole32 oleaut32)
target_link_libraries(qmo_framework PUBLIC shell32 user32 gdi32 advapi32 psapi pdh taskschd)
add_library(qmo_win32 INTERFACE)
target_link_libraries(qmo_win32 INTERFACE qmo_app)
target_include_directories(qmo_win32 INTERFACE ${CMAKE_SOURCE_DIR})

# Resources of the program, linked into the exe and into the Windows tests.
# The message table of the program's events in the Application log, from
# res/events.mc by windmc; events.h holds their ids.
find_program(QMO_WINDMC NAMES x86_64-w64-mingw32-windmc windmc REQUIRED)
set(QMO_EVENTS_DIR ${CMAKE_BINARY_DIR}/events)
add_custom_command(
  OUTPUT ${QMO_EVENTS_DIR}/events.rc ${QMO_EVENTS_DIR}/events.h ${QMO_EVENTS_DIR}/MSG00409.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${QMO_EVENTS_DIR}
  COMMAND ${QMO_WINDMC} -h ${QMO_EVENTS_DIR} -r ${QMO_EVENTS_DIR} ${CMAKE_SOURCE_DIR}/res/events.mc
  DEPENDS ${CMAKE_SOURCE_DIR}/res/events.mc
  COMMENT "Making the events' message table"
  VERBATIM)
set_source_files_properties(${QMO_EVENTS_DIR}/events.rc PROPERTIES GENERATED TRUE
  OBJECT_DEPENDS "${QMO_EVENTS_DIR}/MSG00409.bin")
add_custom_target(qmo_events DEPENDS ${QMO_EVENTS_DIR}/events.rc ${QMO_EVENTS_DIR}/events.h)
# The events' ids, for the log that writes them.
target_include_directories(qmo_framework PRIVATE ${QMO_EVENTS_DIR})
add_dependencies(qmo_framework qmo_events)

add_library(qmo_resources OBJECT res/app.rc ${QMO_LANG_DIR}/lang_all.rc ${QMO_EVENTS_DIR}/events.rc)
target_include_directories(qmo_resources PRIVATE ${CMAKE_SOURCE_DIR}/res ${QMO_ART_DIR} ${QMO_LANG_DIR} ${QMO_EVENTS_DIR})
add_dependencies(qmo_resources qmo_events)
add_dependencies(qmo_resources qmo_languages)
set_source_files_properties(${QMO_LANG_DIR}/lang_all.rc PROPERTIES GENERATED TRUE
  OBJECT_DEPENDS "${QMO_LANG_DIR}/made.stamp;${CMAKE_SOURCE_DIR}/res/resource.h")
# The list of languages, for the program's choice and its settings page.
target_include_directories(qmo_config PRIVATE ${QMO_LANG_DIR})
add_dependencies(qmo_config qmo_languages)

add_executable(QuenvaleMemoryOptimizer WIN32 app/main.cpp $<TARGET_OBJECTS:qmo_resources>)
get_property(QMO_APP_ROOT GLOBAL PROPERTY QMO_FLOOR_ROOT_app)
target_include_directories(QuenvaleMemoryOptimizer PRIVATE ${QMO_APP_ROOT})
target_link_libraries(QuenvaleMemoryOptimizer PRIVATE qmo_app)
if(NOT MSVC)
  target_link_options(QuenvaleMemoryOptimizer PRIVATE -municode)
endif()
set_target_properties(QuenvaleMemoryOptimizer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(QMO_BUILD_TESTS)
  add_subdirectory(tests/windows)
endif()
add_subdirectory(tests/e2e)

# Benchmarks print figures; scripts/bench.sh runs them under wine.
add_executable(qmo_bench tests/bench/bench_main.cpp tests/bench/process_list_bench.cpp tests/bench/frame_bench.cpp
  $<TARGET_OBJECTS:qmo_resources>)
target_link_libraries(qmo_bench PRIVATE qmo_win32)
set_target_properties(qmo_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# What the benchmarks and the soak run measure against and with: the bare
# tray program, the same doing the program's idle work, and the meter.
add_executable(qmo_baseline_tray WIN32 tests/bench/baseline_tray.cpp framework/startup_trace.cpp)
add_executable(qmo_baseline_idle WIN32 tests/bench/baseline_tray.cpp framework/startup_trace.cpp
  tests/bench/baseline_idle.rc)
target_compile_definitions(qmo_baseline_idle PRIVATE QMO_BASELINE_IDLE_WORK)
set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/bench/baseline_idle.rc PROPERTIES
  OBJECT_DEPENDS "${QMO_ART_DIR}/tray_anim_1.ico;${QMO_ART_DIR}/tray_anim_2.ico;${QMO_ART_DIR}/tray_anim_3.ico;${QMO_ART_DIR}/tray_anim_4.ico")
add_executable(qmo_meter tests/bench/meter.cpp)
target_link_libraries(qmo_baseline_tray PRIVATE shell32 user32)
target_link_libraries(qmo_baseline_idle PRIVATE shell32 user32 pdh psapi)
target_link_libraries(qmo_meter PRIVATE user32 psapi ntdll)
foreach(benchProgram qmo_baseline_tray qmo_baseline_idle qmo_meter)
  target_include_directories(${benchProgram} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/bench ${QMO_ART_DIR})
  if(NOT MSVC)
    target_link_options(${benchProgram} PRIVATE -municode)
  endif()
endforeach()
set_target_properties(qmo_baseline_tray qmo_baseline_idle qmo_meter PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The version resource of the program.
target_sources(qmo_resources PRIVATE res/version.rc)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/version.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/version.h)

# The help file, compiled from help/ into help/ of the build tree (not beside
# the program: the e2e ring checks the message for a missing help file there).
find_program(QMO_CHMCMD chmcmd)
# chmcmd comes with Debian's fp-utils; a build on Windows without it skips the help.
if(QMO_CHMCMD)
file(GLOB QMO_HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/help/*)
set(QMO_HELP_DIR ${CMAKE_BINARY_DIR}/help)
set(QMO_HELP_FILE "${QMO_HELP_DIR}/Help- Quenvale Memory Optimizer.chm")
add_custom_command(
  OUTPUT ${QMO_HELP_FILE}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QMO_HELP_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/help ${QMO_HELP_DIR}
  COMMAND ${CMAKE_COMMAND} -E chdir ${QMO_HELP_DIR} ${QMO_CHMCMD} quenvale_help.hhp
  DEPENDS ${QMO_HELP_SOURCES}
  COMMENT "Compiling the help file"
  VERBATIM
)
add_custom_target(qmo_help ALL DEPENDS ${QMO_HELP_FILE})
find_package(Python3 REQUIRED COMPONENTS Interpreter)  # for the help file's check
add_test(NAME help_file COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/package/check_help.py
         ${QMO_HELP_FILE} ${CMAKE_SOURCE_DIR}/help ${CMAKE_SOURCE_DIR}/res/pages.rc)
endif()
