# The languages. res/lang/make_lang.py turns the English resource scripts and
# the translations (res/lang/*.po) into one resource script per language, the
# list the program chooses from (languages.inc) and the English table the
# native build reads its texts from (english_texts.inc). A missing or broken
# translation stops the build.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QMO_LANG_DIR ${CMAKE_BINARY_DIR}/lang)
file(GLOB QMO_LANG_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.rc ${CMAKE_SOURCE_DIR}/res/lang/*.po
     ${CMAKE_SOURCE_DIR}/res/lang/languages.txt ${CMAKE_SOURCE_DIR}/res/lang/make_lang.py)
add_custom_command(
  OUTPUT ${QMO_LANG_DIR}/made.stamp
  BYPRODUCTS ${QMO_LANG_DIR}/lang_all.rc ${QMO_LANG_DIR}/languages.inc ${QMO_LANG_DIR}/english_texts.inc
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/res/lang/make_lang.py build
          --list ${CMAKE_SOURCE_DIR}/res/lang/languages.txt --rc ${CMAKE_SOURCE_DIR}/res/app.rc --out ${QMO_LANG_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${QMO_LANG_DIR}/made.stamp
  DEPENDS ${QMO_LANG_INPUTS}
  COMMENT "Making the language resources"
  VERBATIM)
add_custom_target(qmo_languages DEPENDS ${QMO_LANG_DIR}/made.stamp)
