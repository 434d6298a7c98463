#include "l10n/notices.h"

#include "l10n/entries.h"

namespace lanternbook {

void show_error(UserMessages& messages, const LanguageTable& strings, unsigned entry_index,
                const std::wstring& detail) {
    std::wstring text = strings.text_at(entry_index);
    if (!detail.empty()) {
        text += L"\n" + detail;
    }
    static_cast<void>(messages.message_box(text, strings.text_at(entry::caution), kMessageErrorOk));
}

bool confirmed(UserMessages& messages, const LanguageTable& strings, unsigned entry_index) {
    return messages.message_box(strings.text_at(entry_index), strings.text_at(entry::caution),
                                kMessageOkCancelWarning) == kAnswerOk;
}

}  // namespace lanternbook
