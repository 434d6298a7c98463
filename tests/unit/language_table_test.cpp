#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "l10n/texts.h"
#include "l10n/language_table.h"
#include "l10n/string_tables.h"
#include "text/text_utils.h"

namespace lanternbook {
namespace {

// How the erase confirmation separates its statement from its question.
enum class QuestionBreak { line_feed, carriage_return_line_feed, same_line };

struct Language {
    const char* name;
    const StringTable* table;
    std::vector<uint32_t> locale_ids;
    QuestionBreak question_break;
};

const std::vector<Language>& all_languages() {
    static const std::vector<Language> languages = {
        {"English", &english_strings, {}, QuestionBreak::line_feed},
        {"Polish", &polish_strings, {0x0415}, QuestionBreak::carriage_return_line_feed},
        {"German", &german_strings, {0x0407, 0x1407, 0x1007, 0x0807, 0x0C07}, QuestionBreak::line_feed},
        {"Czech", &czech_strings, {0x0405}, QuestionBreak::same_line},
        {"Estonian", &estonian_strings, {0x0425}, QuestionBreak::line_feed},
        {"Romanian", &romanian_strings, {0x0418}, QuestionBreak::line_feed},
        {"Lithuanian", &lithuanian_strings, {0x0427}, QuestionBreak::line_feed},
        {"Latvian", &latvian_strings, {0x0426}, QuestionBreak::carriage_return_line_feed},
        {"Slovak", &slovak_strings, {0x041B}, QuestionBreak::same_line},
        {"Russian", &russian_strings, {0x0423, 0x0422, 0x0419}, QuestionBreak::line_feed},
        {"Spanish", &spanish_strings, {0x040A, 0x0C0A}, QuestionBreak::line_feed},
        {"French", &french_strings, {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C}, QuestionBreak::same_line},
        {"Hungarian", &hungarian_strings, {0x040E}, QuestionBreak::line_feed},
        {"Slovenian", &slovenian_strings, {0x0424}, QuestionBreak::line_feed},
        {"Italian", &italian_strings, {0x0410, 0x0810}, QuestionBreak::line_feed},
        {"Portuguese", &portuguese_strings, {0x0416, 0x0816}, QuestionBreak::line_feed},
        {"Serbian", &serbian_strings, {0x081A, 0x0C1A, 0x241A, 0x281A}, QuestionBreak::line_feed},
        {"Bulgarian", &bulgarian_strings, {0x0402}, QuestionBreak::line_feed},
        {"Croatian", &croatian_strings, {0x041A}, QuestionBreak::line_feed},
    };
    return languages;
}

const Language& language_named(const std::string& name) {
    const auto& languages = all_languages();
    auto found = std::find_if(languages.begin(), languages.end(),
                              [&](const Language& language) { return name == language.name; });
    return *found;
}

// A text's position in every table, as a number.
constexpr unsigned number(Text text) { return static_cast<unsigned>(text); }

// Each read through StringTable decodes the whole stream: once per table here
// keeps the sanitized run short.
std::wstring text(const StringTable& table, unsigned position) {
    static std::map<const StringTable*, std::vector<std::wstring>> decoded;
    std::vector<std::wstring>& texts = decoded[&table];
    if (texts.empty()) {
        for (std::size_t index = 0; index <= kTextCount; ++index) {
            texts.push_back(table[index]);
        }
    }
    return position >= 1 && position <= texts.size() ? texts[position - 1] : table[position - 1];
}

bool is_filled_position(unsigned position) {
    return (position >= 1 && position <= 14) || (position >= 18 && position <= 36) ||
           (position >= 39 && position <= kTextCount);
}

bool ends_with(const std::wstring& whole, const std::wstring& tail) {
    return whole.size() >= tail.size() && whole.compare(whole.size() - tail.size(), tail.size(), tail) == 0;
}

bool is_cyrillic(wchar_t c) { return c >= 0x0400 && c <= 0x04FF; }
bool is_ascii_letter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool contains_any(const std::wstring& whole, const std::wstring& letters) {
    return whole.find_first_of(letters) != std::wstring::npos;
}

std::wstring without(std::wstring whole, const std::wstring& word) {
    for (auto at = whole.find(word); at != std::wstring::npos; at = whole.find(word)) {
        whole.erase(at, word.size());
    }
    return whole;
}

// ---------------------------------------------------------------------------
// Selection

TEST(LanguageSelection, EveryListedLocalePicksItsTable) {
    for (const Language& language : all_languages()) {
        for (uint32_t locale_id : language.locale_ids) {
            SCOPED_TRACE(std::string(language.name) + " " + std::to_string(locale_id));
            EXPECT_EQ(&string_table_for(locale_id), language.table);

            LanguageTable strings;
            strings.select_language(locale_id);
            ASSERT_EQ(strings.size(), kTextCount);
            for (unsigned position = 1; position <= kTextCount; ++position) {
                EXPECT_EQ(std::wstring(strings.text_at(static_cast<Text>(position))), text(*language.table, position))
                    << "position " << position;
            }
        }
    }
}

TEST(LanguageSelection, OnlyExactIdentifiersMatch) {
    struct Case {
        uint32_t locale_id;
        const StringTable* expected;
    };
    const Case cases[] = {
        {0x10407, &english_strings},     // German with phone-book sort
        {0x080A, &english_strings},      // Spanish (Mexico)
        {0x0000, &english_strings},
        {0xFFFFFFFF, &english_strings},  // what load makes of "-1"
        {0x0409, &english_strings},
        {0x081A, &serbian_strings},      // Serbian Latin gets the Cyrillic table
        {0x241A, &serbian_strings},
        {0x0422, &russian_strings},      // Ukrainian
        {0x0423, &russian_strings},      // Belarusian
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale_id);
        EXPECT_EQ(&string_table_for(c.locale_id), c.expected);
        LanguageTable strings;
        strings.select_language(c.locale_id);
        EXPECT_EQ(std::wstring(strings.text_at(Text::files_to_download)), (*c.expected)[0]);
    }
}

// ---------------------------------------------------------------------------
// Shape of every table

TEST(LanguageTables, FillExactlyTheSharedPositions) {
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        LanguageTable strings;
        strings.select_language(language.locale_ids.empty() ? 0x0409 : language.locale_ids.front());
        ASSERT_EQ(strings.size(), kTextCount);
        for (unsigned position = 1; position <= kTextCount; ++position) {
            ASSERT_NE(strings.text_at(static_cast<Text>(position)), nullptr) << "position " << position;
            EXPECT_EQ(std::wstring(strings.text_at(static_cast<Text>(position))).empty(), !is_filled_position(position))
                << "position " << position;
        }
        ASSERT_NE(strings.text_at(static_cast<Text>(0)), nullptr);
        EXPECT_EQ(std::wstring(strings.text_at(static_cast<Text>(0))), L"");
        ASSERT_NE(strings.text_at(static_cast<Text>(kTextCount + 1)), nullptr);
        EXPECT_EQ(std::wstring(strings.text_at(static_cast<Text>(kTextCount + 1))), L"");
    }
}

TEST(LanguageTables, StarredDataChoices) {
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        const StringTable& table = *language.table;
        for (unsigned position : {number(Text::overview), number(Text::activities), number(Text::events_and_faults),
                                  number(Text::technical_data)}) {
            EXPECT_TRUE(ends_with(text(table, position), L"*")) << "position " << position;
        }
        EXPECT_EQ(text(table, number(Text::detailed_speed)).find(L'*'), std::wstring::npos);
    }
}

TEST(LanguageTables, FootnoteStartsWithTheStar) {
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        const std::wstring footnote = text(*language.table, number(Text::footnote));
        ASSERT_FALSE(footnote.empty());
        if (std::string(language.name) == "French") {
            EXPECT_NE(footnote.front(), L'*');
        } else {
            EXPECT_EQ(footnote.compare(0, 2, L"* "), 0) << "position 3";
        }
    }
}

TEST(LanguageTables, EraseConfirmationIsStatementThenQuestion) {
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        const std::wstring confirmation = text(*language.table, number(Text::erase_confirmation));
        ASSERT_TRUE(ends_with(confirmation, L"?"));
        const auto line_feeds = std::count(confirmation.begin(), confirmation.end(), L'\n');
        const auto carriage_returns = std::count(confirmation.begin(), confirmation.end(), L'\r');
        std::wstring statement;
        switch (language.question_break) {
        case QuestionBreak::line_feed:
            EXPECT_EQ(line_feeds, 1);
            EXPECT_EQ(carriage_returns, 0);
            statement = confirmation.substr(0, confirmation.find(L'\n'));
            break;
        case QuestionBreak::carriage_return_line_feed:
            EXPECT_EQ(line_feeds, 1);
            EXPECT_EQ(carriage_returns, 1);
            ASSERT_NE(confirmation.find(L"\r\n"), std::wstring::npos);
            statement = confirmation.substr(0, confirmation.find(L"\r\n"));
            break;
        case QuestionBreak::same_line:
            EXPECT_EQ(line_feeds + carriage_returns, 0);
            statement = confirmation.substr(0, confirmation.rfind(L". ") + 1);
            break;
        }
        statement.erase(statement.find_last_not_of(L' ') + 1);
        EXPECT_TRUE(ends_with(statement, L".")) << "statement before the question";
    }
}

TEST(LanguageTables, LabelsEndWithAColon) {
    struct Exception {
        const char* language;
        unsigned position;
    };
    const Exception exceptions[] = {
        {"Lithuanian", number(Text::from)}, {"Lithuanian", number(Text::till)},
        {"Hungarian", number(Text::from)},  {"Hungarian", number(Text::till)},
        {"Romanian", number(Text::device_serial_number)}, {"Romanian", number(Text::software_version)},
    };
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        for (unsigned position : {number(Text::from), number(Text::till), number(Text::last), number(Text::device_serial_number),
                                  number(Text::software_version)}) {
            const std::wstring label = text(*language.table, position);
            const bool excepted = std::any_of(std::begin(exceptions), std::end(exceptions), [&](const Exception& e) {
                return std::string(e.language) == language.name && e.position == position;
            });
            if (excepted) {
                EXPECT_FALSE(ends_with(label, L":")) << "position " << position;
            } else if (std::string(language.name) == "French") {
                EXPECT_TRUE(ends_with(label, L" :")) << "position " << position;
            } else {
                EXPECT_TRUE(ends_with(label, L":")) << "position " << position;
                EXPECT_FALSE(ends_with(label, L" :")) << "position " << position;
            }
        }
    }
}

TEST(LanguageTables, ErrorMessagesAreWholeTranslatedSentences) {
    const unsigned messages[] = {number(Text::format_unverifiable), number(Text::backup_not_removed),
                                 number(Text::other_volume), number(Text::unfinished_put_back),
                                 number(Text::unfinished_put_on_empty), number(Text::unfinished_kept),
                                 number(Text::label_not_set),
                                 number(Text::save_failed),    number(Text::key_changed),   number(Text::backup_failed),
                                 number(Text::restore_failed), number(Text::erase_incomplete), number(Text::format_failed),
                                 number(Text::settings_unreadable)};
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        const StringTable& table = *language.table;
        const bool french = std::string(language.name) == "French";
        for (unsigned position : messages) {
            const std::wstring message = text(table, position);
            ASSERT_FALSE(message.empty()) << "position " << position;
            if (language.table != &english_strings) {
                EXPECT_NE(message, text(english_strings, position)) << "position " << position;
            }
            // The message box breaks the lines itself; the folder goes on a line of its own.
            EXPECT_EQ(message.find_first_of(L"\r\n"), std::wstring::npos) << "position " << position;
            if (position == number(Text::restore_failed) || position == number(Text::format_unverifiable) ||
                position == number(Text::backup_not_removed) || position == number(Text::other_volume) ||
                position == number(Text::unfinished_kept) || position == number(Text::label_not_set)) {
                EXPECT_TRUE(ends_with(message, french ? L" :" : L":")) << "a folder or a label follows";
                EXPECT_EQ(french, ends_with(message, L" :")) << "a folder or a label follows";
            } else if (position == number(Text::unfinished_put_back) ||
                       position == number(Text::unfinished_put_on_empty)) {
                EXPECT_TRUE(ends_with(message, french ? L" ?" : L"?")) << "a question";
                EXPECT_EQ(french, ends_with(message, L" ?")) << "a question";
            } else {
                EXPECT_TRUE(ends_with(message, L".")) << "position " << position;
            }
        }
        // Both refusals to format close with the same sentence.
        const std::wstring backup = text(table, number(Text::backup_failed));
        const std::wstring settings = text(table, number(Text::settings_unreadable));
        const auto backup_break = backup.find(L". ");
        const auto settings_break = settings.find(L". ");
        ASSERT_NE(backup_break, std::wstring::npos);
        ASSERT_NE(settings_break, std::wstring::npos);
        EXPECT_EQ(backup.substr(backup_break + 2), settings.substr(settings_break + 2));
    }
}

TEST(LanguageTables, ProductHeader) {
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        const std::wstring header = language.table->at(Text::product_header);
        if (std::string(language.name) == "Bulgarian") {
            EXPECT_EQ(header, L"Лантернбук Ровър/Туин");
        } else {
            EXPECT_EQ(header, L"Lanternbook Rover/Twin");
        }
    }
}

TEST(LanguageTables, RangeButtonHintNamesTheKeyAndTheModel) {
    for (const Language& language : all_languages()) {
        SCOPED_TRACE(language.name);
        const std::wstring hint = text(*language.table, number(Text::range_button));
        EXPECT_EQ(std::count(hint.begin(), hint.end(), L'\u00A7'), 1);
        ASSERT_TRUE(ends_with(hint, L")"));
        const auto opening = hint.rfind(L'(');
        ASSERT_NE(opening, std::wstring::npos);
        EXPECT_NE(hint.find(L"QVZ", opening), std::wstring::npos) << "closing phrase names the model";
    }
}

TEST(LanguageTables, NoEnglishPhraseLeftUntranslated) {
    // A multi-word English text in another table is a leftover of the copy
    // the tables were started from.
    for (const Language& language : all_languages()) {
        if (language.table == &english_strings) {
            continue;
        }
        SCOPED_TRACE(language.name);
        for (unsigned position = 1; position <= kTextCount; ++position) {
            const std::wstring english = text(english_strings, position);
            if (position == number(Text::product_header) || english.find(L' ') == std::wstring::npos) {
                continue;
            }
            EXPECT_NE(text(*language.table, position), english) << "position " << position;
        }
    }
}

TEST(LanguageTables, SerbianIsCyrillicButForItsLatinFootnote) {
    const StringTable& serbian = serbian_strings;
    const std::wstring footnote = text(serbian, number(Text::footnote));
    EXPECT_TRUE(std::none_of(footnote.begin(), footnote.end(), is_cyrillic));
    for (unsigned position = 1; position <= kTextCount; ++position) {
        if (!is_filled_position(position) || position == number(Text::footnote) || position == number(Text::product_header)) {
            continue;
        }
        SCOPED_TRACE(position);
        const std::wstring entry_text = text(serbian, position);
        EXPECT_TRUE(std::any_of(entry_text.begin(), entry_text.end(), is_cyrillic));
        // The range hint is kept as given, look-alike Latin letters included.
        if (position != number(Text::range_button)) {
            const std::wstring rest = without(without(entry_text, L"VDO"), L"QVZ");
            EXPECT_TRUE(std::none_of(rest.begin(), rest.end(), is_ascii_letter));
        }
    }
}

TEST(LanguageTables, RussianTableCarriesBelarusianTexts) {
    // Letters only one of the two languages writes.
    const std::wstring belarusian_only = L"\u0456\u0406\u045E\u040E";         // і І ў Ў
    const std::wstring russian_only = L"\u0438\u0418\u0449\u0429\u044A\u042A";  // и И щ Щ ъ Ъ
    const unsigned belarusian_positions[] = {number(Text::footnote), number(Text::card_via_tachograph), number(Text::range_button),
                                             number(Text::vdo_special_data)};
    for (unsigned position = 1; position <= kTextCount; ++position) {
        if (!is_filled_position(position) || position == number(Text::product_header)) {
            continue;
        }
        SCOPED_TRACE(position);
        const std::wstring entry_text = text(russian_strings, position);
        EXPECT_TRUE(std::any_of(entry_text.begin(), entry_text.end(), is_cyrillic));
        const bool belarusian = std::find(std::begin(belarusian_positions), std::end(belarusian_positions),
                                          position) != std::end(belarusian_positions);
        if (belarusian) {
            EXPECT_FALSE(contains_any(entry_text, russian_only));
        } else {
            EXPECT_FALSE(contains_any(entry_text, belarusian_only));
        }
    }
    EXPECT_TRUE(contains_any(text(russian_strings, number(Text::footnote)), belarusian_only));
}

// ---------------------------------------------------------------------------
// Texts that are fixed character for character

TEST(LanguageVerbatim, EnglishTable) {
    const std::vector<std::pair<unsigned, std::wstring>> expected = {
        {1, L"Files to download"},
        {2, L"Save settings"},
        {3, L"* Data required to be read by the transportation company according to Commission Regulation "
            L"(EU) 581/2010"},
        {4, L"Lanternbook Rover/Twin"},
        {5, L"Software update"},
        {6, L"Save settings"},
        {7, L"Overview*"},
        {8, L"Activities*"},
        {9, L"Events and faults*"},
        {10, L"Detailed speed"},
        {11, L"Technical data*"},
        {12, L"Since last download"},
        {13, L"From:"},
        {14, L"Till:"},
        {18, L"Last:"},
        {19, L"days"},
        {20, L"Everything"},
        {21, L"Format the device"},
        {22, L"Store device settings"},
        {23, L"Format"},
        {24, L"Caution"},
        {25, L"Format will erase all the data stored in the device."},
        {26, L"Exit"},
        {27, L"Incorrect device size detected. Format will not continue."},
        {28, L"Erasing the memory"},
        {29, L"Erase"},
        {30, L"Device reset after firmware upgrade"},
        {31, L"Device serial number:"},
        {32, L"Software version:"},
        {33, L"No data available"},
        {34, L"Upgrade"},
        {35, L"Firmware path"},
        {36, L"This will erase all the downloads from device. \nDo you want to continue?"},
        {39, L"Driver card download via tachograph"},
        {40, L"Select data range using \u00A7 button (QVZ only)"},
        {41, L"VDO Special Data"},
        {42, L"The settings could not be saved on the device."},
        {43, L"The device was removed or changed. The operation was stopped."},
        {44, L"The device's program files could not be copied. Format will not start."},
        {45, L"The device's program files could not be put back. They are kept in:"},
        {46, L"Some downloads could not be erased."},
        {47, L"The device could not be formatted."},
        {48, L"The device's settings could not be read. Format will not start."},
        {49, L"The device could not be checked after the format. Its program files and settings are kept in:"},
        {50, L"The device's files were put back, but their copies could not be removed from:"},
        {51, L"Another volume took the device's place during the format. Nothing was written to it. "
             L"The device's program files and settings are kept in:"},
        {52, L"A format of this device did not finish. Put its program files and settings back on it now?"},
        {53, L"A format of this device did not finish, and the device is not attached. "
             L"Put its program files and settings on this empty drive?"},
        {54, L"A format of this device did not finish. A copy of its program files and settings is kept in:"},
        {55, L"The device's program files and settings were put back, but its volume label could not be set to:"},
    };
    for (const auto& [position, english] : expected) {
        EXPECT_EQ(text(english_strings, position), english) << "position " << position;
    }
}

TEST(LanguageVerbatim, RangeButtonHints) {
    const std::vector<std::pair<std::string, std::wstring>> expected = {
        {"Latvian", L"Izvēlieties rādījumu diapazonu ar pogu \u00A7 (tikai QVZ)"},
        {"Polish", L"Wybierz zakres odczytu przyciskiem \u00A7 (tylko dla QVZ)"},
        {"German", L"Auslesebereich mit Taste \u00A7 wählen (nur für QVZ)"},
        {"Czech", L"Zvolte rozsah načítaných dat tlačítkem \u00A7 (jen pro QVZ)"},
        {"Slovak", L"Zvoľte rozsah načítaných údajov tlačidlom \u00A7 (len pre QVZ)"},
        {"Estonian", L"Valige lugemisvahemik nupuga \u00A7 (ainult QVZ)"},
        {"Lithuanian", L"Pasirinkite rodymo sritį mygtuku \u00A7 (tik QVZ)"},
        {"Romanian", L"Alege intervalul de citire folosind butonul \u00A7 (numai pt. QVZ)"},
        {"English", L"Select data range using \u00A7 button (QVZ only)"},
        {"Russian", L"Выберыце дыяпазон счытвання дадзеных з дапамогай кнопкі \u00A7 (толькі для (QVZ)"},
        {"Italian", L"Selezionare il range di lettura con il pulsante \u00A7 (solo per QVZ)"},
        {"Hungarian", L"\u00A7 gombbal válassza ki a leolvasási adatok tartományát (csak QVZ esetén)"},
        // "eta", "c", "a" and "o" here are Latin letters in a Cyrillic text.
        {"Serbian", L"Изаберите опсег читања помоћу \u00A7 дугм" L"eta (ca" L"м" L"o за QVZ)"},
        {"Portuguese", L"Configuração própria do intervalo de dados com o botão \u00A7 (só para QVZ)"},
        {"French", L"Selectionner la gamme en utilisant le bouton \u00A7 (uniquement pour QVZ)"},
        {"Slovenian", L"Izberi obseg odčitka podatkov s pritiskom na tipko \u00A7 (samo za QVZ)"},
        {"Croatian", L"Odaberite raspon čitanja pomoću \u00A7 gumba (samo za QVZ)"},
        {"Spanish", L"Seleccione el campo de lectura con el botón \u00A7 (sólo para QVZ)"},
        {"Bulgarian", L"Избери диапазон на отчитането с копче \u00A7 (само за QVZ)"},
    };
    ASSERT_EQ(expected.size(), all_languages().size());
    for (const auto& [name, hint] : expected) {
        EXPECT_EQ(text(*language_named(name).table, number(Text::range_button)), hint) << name;
    }
}

TEST(LanguageVerbatim, FixedEntriesOfSeveralLanguages) {
    struct Case {
        const char* language;
        unsigned position;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"Polish", 1, L"Dane do pobrania"},
        {"Polish", 6, L"Zapis konfiguracji"},
        {"Polish", 24, L"Uwaga"},
        {"Polish", 26, L"Zamknij"},
        {"Polish", 33, L"brak danych"},
        {"Polish", 36, L"Czyszczenie spowoduje usunięcie wszystkich odczytów kart i tachografów.\r\n Czy kontynuować?"},
        {"German", 1, L"auszulesende Rohdaten"},
        {"German", 6, L"Geräteeinstellungen speichern"},
        {"German", 24, L"Achtung"},
        {"German", 26, L"Ausgang"},
        {"German", 33, L"keine Daten"},
        {"Russian", 1, L"Файлы для скачивания"},
        {"Russian", 6, L"Сохранить настройки"},
        {"Russian", 24, L"Внимание"},
        {"Russian", 26, L"Выход"},
        {"Russian", 33, L"Данные не доступны"},
        {"Bulgarian", 1, L"Данни за сваляне"},
        {"Bulgarian", 4, L"Лантернбук Ровър/Туин"},
        {"Bulgarian", 6, L"Записване на настройки"},
        {"Bulgarian", 24, L"Внимание"},
        {"Bulgarian", 26, L"Затвори"},
        {"Bulgarian", 33, L"липса на данни"},
        {"Czech", 36, L"S touto funkcí,budou všechny údaje o řidičích i vozidlech odstraněny. chcete pokračovat?"},
        {"Lithuanian", 13, L"nuo"},
        {"Lithuanian", 14, L"iki"},
        {"Hungarian", 13, L"\u2026-tól"},
        {"Hungarian", 14, L"\u2026-ig"},
        {"Romanian", 31, L"Serie aparat"},
        {"Romanian", 32, L"Versiune software"},
        {"French", 3, L"Receuil de données exigé par  la société de transport conformément au réglement (UE)581/2010 "
                      L"de la Commission"},
        {"French", 13, L"De :"},
        {"French", 14, L"A :"},
        {"French", 18, L"Derniers :"},
        {"French", 21, L"Formatage de l\u2019appareil"},
        {"Italian", 12, L"Dall\u2019ultimo download"},
        {"Serbian", 3, L"* Podaci potrebni za čitanje od strane prevoznika u skladu sa Uredbom Komisije (EU) 581/2010"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text(*language_named(c.language).table, c.position), c.expected)
            << c.language << " position " << c.position;
    }
}

TEST(LanguageVerbatim, WordingSettledInReview) {
    struct Case {
        const char* language;
        unsigned position;
        const wchar_t* part;
    };
    const Case cases[] = {
        {"French", number(Text::unfinished_put_back), L". Restaurer maintenant ses fichiers programme et ses paramètres ?"},
        {"German", number(Text::other_volume), L"ein anderer Datenträger den Platz des Geräts"},
        {"German", number(Text::unfinished_put_on_empty), L"auf dieses leere Laufwerk"},
        {"German", number(Text::label_not_set), L"Datenträgerbezeichnung"},
        {"Hungarian", number(Text::other_volume), L". A program nem írt rá semmit. "},
        {"Hungarian", number(Text::unfinished_put_back), L". Visszaírja most az eszköz programfájljait és beállításait?"},
        {"Hungarian", number(Text::unfinished_put_on_empty), L". Felmásolja az eszköz programfájljait és beállításait "},
        {"Romanian", number(Text::backup_not_removed), L" au fost restaurate, "},
        {"Romanian", number(Text::unfinished_put_back), L". Doriți să restaurați acum "},
        {"Romanian", number(Text::unfinished_put_on_empty), L". Doriți să scrieți "},
        {"Estonian", number(Text::backup_not_removed),
         L" kopeeriti seadmesse tagasi, kuid nende koopiaid ei õnnestunud eemaldada kaustast:"},
        {"Estonian", number(Text::unfinished_put_back), L". Kas kopeerida selle programmifailid ja seaded nüüd seadmesse tagasi?"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(text(*language_named(c.language).table, c.position).find(c.part), std::wstring::npos)
            << c.language << " position " << c.position;
    }
    // French says "paramètres" for settings, as its oldest texts do.
    const StringTable& french = *language_named("French").table;
    for (unsigned position = 1; position <= kTextCount; ++position) {
        EXPECT_EQ(text(french, position).find(L"réglage"), std::wstring::npos) << "position " << position;
    }
    for (Text mentions_settings : {Text::format_unverifiable, Text::other_volume, Text::unfinished_put_back,
                                   Text::unfinished_put_on_empty, Text::unfinished_kept, Text::label_not_set}) {
        EXPECT_NE(text(french, number(mentions_settings)).find(L"paramètres"), std::wstring::npos)
            << "position " << number(mentions_settings);
    }
}

// ---------------------------------------------------------------------------
// The locale argument of load

TEST(LanguageLocaleArgument, ReadsALeadingDecimalNumber) {
    struct Case {
        const char* argument;
        uint32_t expected;
    };
    const Case cases[] = {
        {"1045", 1045},   {"  1045", 1045}, {"+1045", 1045}, {"1045abc", 1045},
        {"-1", 0xFFFFFFFF}, {"", 0},        {"abc", 0},      {"0", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parse_locale_argument(c.argument), c.expected) << '"' << c.argument << '"';
    }
    EXPECT_EQ(parse_locale_argument(nullptr), 0u);
}

}  // namespace
}  // namespace lanternbook
