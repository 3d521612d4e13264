; The setup's own messages in each of its languages (the pages' texts come
; with NSIS). A language added here is also added with MUI_LANGUAGE.
LangString StillRunning ${LANG_ENGLISH} "${PRODUCT} is still running."
LangString StillRunningEndIt ${LANG_ENGLISH} "${PRODUCT} is still running.$\n$\nEnd it with Exit in its tray menu, then choose Retry."
LangString Needs64Bit ${LANG_ENGLISH} "${PRODUCT} needs a 64-bit Windows."
LangString DeleteSettingsToo ${LANG_ENGLISH} "Delete your ${PRODUCT} settings as well?$\n$\nChoose No to keep them for a later installation."

LangString StillRunning ${LANG_GERMAN} "${PRODUCT} wird noch ausgeführt."
LangString StillRunningEndIt ${LANG_GERMAN} "${PRODUCT} wird noch ausgeführt.$\n$\nBeenden Sie das Programm mit „Beenden“ im Menü seines Infobereichssymbols, und wählen Sie dann „Wiederholen“."
LangString Needs64Bit ${LANG_GERMAN} "${PRODUCT} benötigt ein 64-Bit-Windows."
LangString DeleteSettingsToo ${LANG_GERMAN} "Auch Ihre Einstellungen für ${PRODUCT} löschen?$\n$\nWählen Sie „Nein“, um sie für eine spätere Installation zu behalten."

LangString StillRunning ${LANG_FRENCH} "${PRODUCT} est toujours en cours d’exécution."
LangString StillRunningEndIt ${LANG_FRENCH} "${PRODUCT} est toujours en cours d’exécution.$\n$\nQuittez-le avec « Quitter » dans le menu de son icône de la zone de notification, puis choisissez « Réessayer »."
LangString Needs64Bit ${LANG_FRENCH} "${PRODUCT} nécessite une version 64 bits de Windows."
LangString DeleteSettingsToo ${LANG_FRENCH} "Supprimer également vos paramètres de ${PRODUCT} ?$\n$\nChoisissez « Non » pour les conserver en vue d’une installation ultérieure."

LangString StillRunning ${LANG_SPANISH} "${PRODUCT} todavía se está ejecutando."
LangString StillRunningEndIt ${LANG_SPANISH} "${PRODUCT} todavía se está ejecutando.$\n$\nCiérrelo con «Salir» en el menú de su icono del área de notificación y, a continuación, elija «Reintentar»."
LangString Needs64Bit ${LANG_SPANISH} "${PRODUCT} necesita una versión de 64 bits de Windows."
LangString DeleteSettingsToo ${LANG_SPANISH} "¿Desea eliminar también la configuración de ${PRODUCT}?$\n$\nElija «No» para conservarla para una instalación posterior."

LangString StillRunning ${LANG_SIMPCHINESE} "${PRODUCT} 仍在运行。"
LangString StillRunningEndIt ${LANG_SIMPCHINESE} "${PRODUCT} 仍在运行。$\n$\n请在其通知区域图标的菜单中选择“退出”来结束它，然后选择“重试”。"
LangString Needs64Bit ${LANG_SIMPCHINESE} "${PRODUCT} 需要 64 位 Windows。"
LangString DeleteSettingsToo ${LANG_SIMPCHINESE} "是否同时删除 ${PRODUCT} 的设置？$\n$\n选择“否”可保留这些设置，供以后安装时使用。"
