// The user's regional settings: decimal separator and language, read once from the system
// locale, overridable for tests.
#pragma once

// The character the user's regional settings put between the whole part and the decimals
// of 1.1 ("." or ","). Every number text the program writes or checks uses this one value.
char DecimalSeparator();

// Replaces the separator for the rest of the run (tests use it to try both forms).
void SetDecimalSeparator(char separator);

// The user's language as a Windows language identifier (primary language in the low ten bits,
// sublanguage above: 0x0409 English (United States), 0x0419 Russian, 0x0407 German), the form in
// which the charset configuration names languages. Taken from the system locale's language and
// territory; the C locale and languages without an identifier count as 0x0409.
int GetUserDefaultLangID();

// Replaces the language for the rest of the run (tests use it).
void SetUserDefaultLangID(int langId);
