// The user's regional settings: decimal separator and language, read once from the system
// locale, overridable for tests.
#include "platform/Locale.h"

#include <unicode/uloc.h>

#include <QLocale>
#include <QString>

namespace {

char SystemDecimalSeparator() {
    // The second character of 1.1 as the user's locale writes it; locales whose separator is
    // neither "." nor "," (none that the program supports) fall back to ".".
    const QString text = QLocale::system().toString(1.1, 'f', 1);
    if (text.size() == 3 && (text[1] == QLatin1Char(',') || text[1] == QLatin1Char('.')))
        return text[1].toLatin1();
    return '.';
}

char& Separator() {
    static char separator = SystemDecimalSeparator();
    return separator;
}

constexpr int kEnglishUnitedStates = 0x0409;

int SystemLangID() {
    const int id = static_cast<int>(uloc_getLCID(QLocale::system().name().toLatin1().constData()));
    return id == 0 ? kEnglishUnitedStates : id;
}

int& LangID() {
    static int id = SystemLangID();
    return id;
}

}  // namespace

char DecimalSeparator() {
    return Separator();
}

void SetDecimalSeparator(char separator) {
    Separator() = separator;
}

int GetUserDefaultLangID() {
    return LangID();
}

void SetUserDefaultLangID(int langId) {
    LangID() = langId;
}
