// The player's message texts 5000 to 5061, in English or in Korean as the
// user's locale says, as UTF-8 text (empty for a number without a text).
#pragma once

#include <QLocale>
#include <string>

std::string LoadResString(int id);
std::string LoadResString(int id, QLocale::Language language);

// The text of `id` with its "%s" replaced by `pszArgument` (left as it is
// when that is null). The text is never used as a format, whatever the
// string table holds.
std::string LoadResStringWith(int id, const char* pszArgument);
