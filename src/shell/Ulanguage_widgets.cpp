// The language module's texts in windows: description texts shown in memos.
#include "shell/Ulanguage_widgets.h"

#include <QPlainTextEdit>

#include "platform/Text.h"
#include "shell/Ulanguage.h"

void LoadDescription(const std::string& path, QPlainTextEdit& memo) {
    if (const std::optional<std::string> text = ReadDescription(path))
        memo.setPlainText(ToQString(*text));
}
