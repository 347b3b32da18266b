#include "app/switches.h"

namespace orvex {

constexpr SwitchRule kSwitches[] = {
    {u"-help", Match::kIgnoreAsciiCase, Effect::kHelp, nullptr, nullptr, kNoProvider, false, kNotInHelp},
    {u"--help", Match::kIgnoreAsciiCase, Effect::kHelp, nullptr, nullptr, kNoProvider, false, kNotInHelp},
    {u"/help", Match::kIgnoreAsciiCase, Effect::kHelp, nullptr, nullptr, kNoProvider, false, kNotInHelp},
    {u"-OrvexArgs", Match::kIgnoreAsciiCase, Effect::kAppendSpacedValue, nullptr, &InstallOptions::pluginArgs,
     kNoProvider, false,
     u"  -orvexargs \"<args>\"\tдополнительные параметры\n\t\t\tкомандной строки(<args>) для\n\t\t\tвызова msiexec /i "
     u"при установке\n\t\t\tпакета MSI плагина\n"},
    {u"-reinstall", Match::kExact, Effect::kSetFlag, &InstallOptions::reinstall, nullptr, kNoProvider, false,
     u"  -reinstall\t\t\tпереустановка продукта\n"},
    {u"-silent", Match::kIgnoreAsciiCase, Effect::kSetFlag, &InstallOptions::silent, nullptr, kNoProvider, false,
     u"  -silent\t\t\tподавить диалоговые окна\n\t\t\tбутстраппера\n"},
    {u"-norestart", Match::kIgnoreAsciiCase, Effect::kSetFlag, &InstallOptions::noRestart, nullptr, kNoProvider,
     false, u"  -norestart\t\tподавить перезагрузку, если она\n\t\t\tбудет необходима\n"},
    {u"-noupdate", Match::kExact, Effect::kSetFlag, &InstallOptions::noUpdate, nullptr, kNoProvider, false, kNotInHelp},
    {u"-selectDlg", Match::kIgnoreAsciiCase, Effect::kSetFlag, &InstallOptions::selectDialog, nullptr, kCsp, false,
     u"  -selectDlg\tвывести диалог выбора конфигурации Велтон CSP\n"},
    {u"-KC", Match::kIgnoreAsciiCase, Effect::kConsumeValue, nullptr, nullptr, kCsp, true,
     u"  -KC\t\t\tуровень KC Велтон CSP\n"},
    {u"-Lang", Match::kIgnoreAsciiCase, Effect::kConsumeValue, nullptr, nullptr, kCsp, true,
     u"  -Lang\t\t\tязык Велтон CSP\n"},
};

const std::size_t kSwitchCount = sizeof(kSwitches) / sizeof(kSwitches[0]);

namespace {

constexpr std::size_t kRows = kSwitchCount;

// The first row that does not point at the one field its effect needs,
// alone, or lacks its provider; kRows when every row is whole. A row copied
// from another and left pointing at its field would fill the other's option.
constexpr std::size_t FirstRowAmiss() noexcept {
  for (std::size_t index = 0; index < kRows; ++index) {
    const SwitchRule& rule = kSwitches[index];
    const bool fills = rule.effect == Effect::kAppendSpacedValue || rule.effect == Effect::kAppendValueAndBlank ||
                       rule.effect == Effect::kSetValue;
    if ((rule.flag != nullptr) != (rule.effect == Effect::kSetFlag) || (rule.value != nullptr) != fills ||
        (rule.afterProvider && rule.provider == kNoProvider)) {
      return index;
    }
    for (std::size_t other = 0; other < index; ++other) {
      if ((rule.flag != nullptr && kSwitches[other].flag == rule.flag) ||
          (rule.value != nullptr && kSwitches[other].value == rule.value)) {
        return index;
      }
    }
  }
  return kRows;
}
// On failure the compiler shows the row's index on the left of the comparison.
static_assert(FirstRowAmiss() == kRows,
              "a switch row lacks the field of its effect or its provider, or shares a field");

}  // namespace

void ApplyValue(Effect effect, const char16_t* value, WideString& field) noexcept {
  switch (effect) {
    case Effect::kAppendSpacedValue:
      field.Append(u" ");
      field.Append(value);
      field.Append(u" ");
      return;
    case Effect::kAppendValueAndBlank:
      field.Append(value);
      field.Append(u" ");
      return;
    case Effect::kSetValue:
      field.Assign(value, TextLength(value));
      return;
    case Effect::kHelp:
    case Effect::kSetFlag:
    case Effect::kConsumeValue:
      return;
  }
}

const char16_t kHelpOpening[] =
    u"Установщик Велтон ЭЦП Browser plug-in.\n"
    u"При запуске без параметров осуществляет установку с параметрами по умолчанию.\n"
    u"\n"
    u"Возможные параметры командной строки:\n"
    u"  -?\t\t\tвывести данную справку\n";

const char16_t kHelpCaption[] = u"Справка";

}  // namespace orvex
