#pragma once

// The help box's text, whole, as users have always seen it: the common
// part, then, of the providers asked for, each one's arguments line, then
// each one's other lines, both in the order of kProviders. The native and
// the Windows tests both hold the program to it, each with the string
// prefix it needs (u or L): ORVEX_HELP_COMMON(u), and ORVEX_HELP_PROVIDERS(u)
// as an array of kProviderCount rows, which ExpectedHelp puts together. A
// provider without its row here gets none of its lines expected.

#include <string>

#include "install/install_options.h"

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
// Each provider's {arguments line, other lines}, in the order of kProviders.
#define ORVEX_HELP_PROVIDERS(P)                                                                           \
  {                                                                                                       \
    {P##"  -cspargs \"<args>\"\tдополнителные параметры\n\t\t\tкомандной строки (<args>) для\n"            \
        "\t\t\tвызова msiexec /i при установке\n\t\t\tпакета MSI Велтон CSP\n",                            \
     P##"  -selectDlg\tвывести диалог выбора конфигурации Велтон CSP\n"                                    \
        "  -KC\t\t\tуровень KC Велтон CSP\n"                                                              \
        "  -Lang\t\t\tязык Велтон CSP\n"},                                                                \
    {P##"  -ucspargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки (<args>) для\n"          \
        "\t\t\tвызова msiexec /i при установке\n\t\t\tпакета MSI Велтон УЭК CSP\n",                        \
     P##""},                                                                                              \
  }

namespace orvex {

// The whole text for the providers asked (bit 1 << ProviderId each).
template <typename Char>
std::basic_string<Char> ExpectedHelp(const Char* common, const Char* const (&providers)[kProviderCount][2],
                                     unsigned asked) {
  std::basic_string<Char> text = common;
  for (const int part : {0, 1}) {
    for (int id = 0; id < kProviderCount; ++id) {
      if ((asked >> id & 1) != 0 && providers[id][part] != nullptr) text += providers[id][part];
    }
  }
  return text;
}

}  // namespace orvex
