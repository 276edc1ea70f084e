// The user's decimal separator: read once from the system locale, overridable for tests.
#pragma once

// The character the user's regional settings put between the whole part and the decimals
// of 1.1 ("." or ","). Every number text the program writes or checks uses this one value.
char DecimalSeparator();

// Replaces the separator for the rest of the run (tests use it to try both forms).
void SetDecimalSeparator(char separator);
