#pragma once

// The help box's text, whole, as users have always seen it: the common part,
// then the lines of each provider asked for. The native and the Windows
// tests both hold the program to it, each with the string prefix it needs:
// ORVEX_HELP_COMMON(u) or ORVEX_HELP_COMMON(L).
#define ORVEX_HELP_COMMON(P)                                                                                   \
  P##"Установщик Велтон ЭЦП Browser plug-in.\n"                                                                \
  "При запуске без параметров осуществляет установку с параметрами по умолчанию.\n\n"                          \
  "Возможные параметры командной строки:\n"                                                                    \
  "  -?\t\t\tвывести данную справку\n"                                                                         \
  "  -orvexargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки(<args>) для\n\t\t\tвызова msiexec " \
  "/i при установке\n\t\t\tпакета MSI плагина\n"                                                               \
  "  -reinstall\t\t\tпереустановка продукта\n"                                                                 \
  "  -silent\t\t\tподавить диалоговые окна\n\t\t\tбутстраппера\n"                                              \
  "  -norestart\t\tподавить перезагрузку, если она\n\t\t\tбудет необходима\n"
#define ORVEX_HELP_CSP_ARGS(P)                                                                 \
  P##"  -cspargs \"<args>\"\tдополнителные параметры\n\t\t\tкомандной строки (<args>) для\n" \
  "\t\t\tвызова msiexec /i при установке\n\t\t\tпакета MSI Велтон CSP\n"
#define ORVEX_HELP_UCSP_ARGS(P)                                                                  \
  P##"  -ucspargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки (<args>) для\n" \
  "\t\t\tвызова msiexec /i при установке\n\t\t\tпакета MSI Велтон УЭК CSP\n"
#define ORVEX_HELP_CSP_OTHERS(P)                                \
  P##"  -selectDlg\tвывести диалог выбора конфигурации Велтон CSP\n" \
  "  -KC\t\t\tуровень KC Велтон CSP\n"                          \
  "  -Lang\t\t\tязык Велтон CSP\n"
