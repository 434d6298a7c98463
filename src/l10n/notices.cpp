#include "l10n/notices.h"

#include "l10n/texts.h"

namespace lanternbook {

void show_error(UserMessages& messages, const LanguageTable& strings, Text message,
                const std::wstring& detail) {
    std::wstring text = strings.text_at(message);
    if (!detail.empty()) {
        text += L"\n" + detail;
    }
    static_cast<void>(messages.message_box(text, strings.text_at(Text::caution), kMessageErrorOk));
}

bool asked(UserMessages& messages, const LanguageTable& strings, Text message, const std::wstring& detail) {
    return messages.message_box(strings.text_at(message) + (L"\n" + detail), strings.text_at(Text::caution),
                                kMessageYesNoQuestion) == kAnswerYes;
}

bool confirmed(UserMessages& messages, const LanguageTable& strings, Text message) {
    return messages.message_box(strings.text_at(message), strings.text_at(Text::caution),
                                kMessageOkCancelWarning) == kAnswerOk;
}

}  // namespace lanternbook
