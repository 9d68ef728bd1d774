#pragma once
// The language of every text the programs show, through GNU gettext. The
// texts in the code are Japanese and are the message ids: a Japanese or
// C/POSIX locale shows them as they are; any other language shows its own
// catalog when one is installed, and English otherwise. What the programs
// write into files (join-info file, batch file, manifest) never goes through
// here.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

// Marks a text for the catalog where it is defined; it is translated where it
// is shown (xgettext collects N_, Tr and TrFormat).
#define N_(text) text

// The catalogs' domain: share/locale/LANG/LC_MESSAGES/carver-mender.mo.
inline constexpr const char* kTextDomain = "carver-mender";

// Called at the start of a program, before any text is translated: sets the
// locale from the environment, chooses the language and binds the catalogs,
// found below the program's own folder (../share/locale, which the build tree
// has too) or else in the installed locale folder; a test names the folder.
// Called again, it chooses again.
void StartTranslation(const std::string& catalogFolder = {});

// The text in the chosen language; the id itself when the language is
// Japanese, before StartTranslation, or when the catalog lacks the text.
const char* Tr(const char* id);
std::string Tr(const std::string& id);

// Fills a text's placeholders: {1}, {2} ... are the arguments as given;
// {1:wide} is argument 1 with its digits full-width (the Japanese texts write
// counts that way, the English ones need not).
std::string FillPlaceholders(std::string_view text, std::initializer_list<std::string> args);

// Tr, then FillPlaceholders.
std::string TrFormat(const char* id, std::initializer_list<std::string> args);

// Whether a shown text was made from this (translated) text with placeholders:
// it begins with what comes before the first placeholder and ends with what
// follows the last one.
bool MadeFrom(const std::string& shown, const std::string& text);

// The language the programs show: "ja", "en", or another language with a
// catalog ("de" ...). Qt's own texts follow it.
std::string ShownLanguage();

// The choice, as gettext reads the environment: messagesLocale is the
// LC_MESSAGES locale's name, languageList the LANGUAGE variable. Returns the
// list of languages to look catalogs up in, in order ("" = no catalog: the
// Japanese texts). Japanese in the list, before any language with a catalog,
// keeps the Japanese texts; a list with no catalog at all ends in English.
std::string ChooseLanguages(const std::string& messagesLocale, const std::string& languageList,
                            const std::function<bool(const std::string& language)>& hasCatalog);
