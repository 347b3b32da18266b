#include "app/command_line.h"

namespace orvex {

namespace {

enum class Shown { kAlways, kWithCsp, kWithUcsp };

struct HelpPiece {
  Shown shown;
  const char16_t* text;
};

// The help box lists neither -csp, -ucsp, -noupdate nor the help switches.
constexpr HelpPiece kHelpPieces[] = {
    {Shown::kAlways, u"Установщик Велтон ЭЦП Browser plug-in.\n"},
    {Shown::kAlways, u"При запуске без параметров осуществляет установку с параметрами по умолчанию.\n"},
    {Shown::kAlways, u"\n"},
    {Shown::kAlways, u"Возможные параметры командной строки:\n"},
    {Shown::kAlways, u"  -?\t\t\tвывести данную справку\n"},
    {Shown::kAlways,
     u"  -orvexargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки(<args>) для\n\t\t\tвызова msiexec /i "
     u"при установке\n\t\t\tпакета MSI плагина\n"},
    {Shown::kAlways, u"  -reinstall\t\t\tпереустановка продукта\n"},
    {Shown::kAlways, u"  -silent\t\t\tподавить диалоговые окна\n\t\t\tбутстраппера\n"},
    {Shown::kAlways, u"  -norestart\t\tподавить перезагрузку, если она\n\t\t\tбудет необходима\n"},
    {Shown::kWithCsp,
     u"  -cspargs \"<args>\"\tдополнителные параметры\n\t\t\tкомандной строки (<args>) для\n\t\t\tвызова msiexec /i при "
     u"установке\n\t\t\tпакета MSI Велтон CSP\n"},
    {Shown::kWithUcsp,
     u"  -ucspargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки (<args>) для\n\t\t\tвызова msiexec /i при "
     u"установке\n\t\t\tпакета MSI Велтон УЭК CSP\n"},
    {Shown::kWithCsp, u"  -selectDlg\tвывести диалог выбора конфигурации Велтон CSP\n"},
    {Shown::kWithCsp, u"  -KC\t\t\tуровень KC Велтон CSP\n"},
    {Shown::kWithCsp, u"  -Lang\t\t\tязык Велтон CSP\n"},
};

constexpr const char16_t* kHelpCaption = u"Справка";

}  // namespace

WideString BuildHelpText(bool installCsp, bool installUcsp) noexcept {
  WideString text;
  for (const HelpPiece& piece : kHelpPieces) {
    const bool include = piece.shown == Shown::kAlways || (piece.shown == Shown::kWithCsp && installCsp) ||
                         (piece.shown == Shown::kWithUcsp && installUcsp);
    if (include) text.Append(piece.text);
  }
  return text;
}

std::uint32_t ShowHelpAndExit(Ui& ui, const InstallOptions& options) noexcept {
  (void)ui.ShowMessageBox(BuildHelpText(options.installCsp, options.installUcsp), WideString(kHelpCaption),
                          box::kIconInformation);
  return 0;
}

}  // namespace orvex
