#include "Translation.h"

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <libintl.h>
#include <system_error>
#include <vector>

#include "NumberFormat.h"

// Counts catalog changes; gettext drops its cache when it moves.
extern "C" int _nl_msg_cat_cntr;

#ifndef CARVER_LOCALEDIR
#define CARVER_LOCALEDIR "/usr/local/share/locale"
#endif

namespace {

bool translating = false;
std::string shownLanguage = "ja";

bool IsPlainCLocale(const std::string& name)
{
    return name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0 ||
           name.rfind("POSIX.", 0) == 0;
}

// "de_AT.UTF-8@euro" -> "de_AT"; "de" stays.
std::string WithoutCodeset(const std::string& name) { return name.substr(0, name.find_first_of(".@")); }
std::string LanguageOf(const std::string& name) { return name.substr(0, name.find_first_of("_.@")); }

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The LC_MESSAGES locale the environment asks for, as setlocale reads it.
std::string RequestedMessagesLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = EnvironmentValue(name);
        if (!value.empty()) return value;
    }
    return "C";
}

bool HasCatalogIn(const std::filesystem::path& folder, const std::string& language)
{
    std::error_code error;
    return std::filesystem::is_regular_file(
        folder / language / "LC_MESSAGES" / (std::string(kTextDomain) + ".mo"), error);
}

// The catalogs beside the program (../share/locale from its folder: the build
// tree and any install prefix), or else where the build installs them.
std::filesystem::path CatalogFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path beside = program.parent_path().parent_path() / "share" / "locale";
        if (HasCatalogIn(beside, "en")) return beside;
    }
    return CARVER_LOCALEDIR;
}

}  // namespace

std::string ChooseLanguages(const std::string& messagesLocale, const std::string& languageList,
                            const std::function<bool(const std::string& language)>& hasCatalog)
{
    if (IsPlainCLocale(messagesLocale)) return "";
    std::vector<std::string> wanted;
    size_t start = 0;
    while (start <= languageList.size()) {
        const size_t end = std::min(languageList.find(':', start), languageList.size());
        if (end > start) wanted.push_back(languageList.substr(start, end - start));
        start = end + 1;
    }
    if (wanted.empty()) wanted.push_back(messagesLocale);
    for (const std::string& entry : wanted) {
        if (LanguageOf(entry) == "ja") return "";
        for (const std::string& candidate : {WithoutCodeset(entry), LanguageOf(entry)})
            if (!candidate.empty() && hasCatalog(candidate)) return candidate;
    }
    return "en";
}

void StartTranslation(const std::string& catalogFolder)
{
    translating = false;
    shownLanguage = "ja";
    std::setlocale(LC_ALL, "");
    const std::string requested = RequestedMessagesLocale();
    const std::filesystem::path folder = catalogFolder.empty() ? CatalogFolder() : std::filesystem::path(catalogFolder);
    const std::string languages = ChooseLanguages(requested, EnvironmentValue("LANGUAGE"),
                                                  [&](const std::string& l) { return HasCatalogIn(folder, l); });
    if (languages.empty()) return;
    // A locale that is not installed leaves LC_MESSAGES at "C", where gettext
    // translates nothing; C.UTF-8 always exists and lets LANGUAGE choose.
    if (IsPlainCLocale(std::setlocale(LC_MESSAGES, nullptr))) std::setlocale(LC_MESSAGES, "C.UTF-8");
    // gettext reads LANGUAGE before the locale; the C library's own messages
    // (error descriptions) then follow the same choice.
    ::setenv("LANGUAGE", languages.c_str(), 1);
    ++_nl_msg_cat_cntr;  // gettext's way to forget the translations it looked up before
    ::bindtextdomain(kTextDomain, folder.c_str());
    ::bind_textdomain_codeset(kTextDomain, "UTF-8");
    translating = true;
    shownLanguage = LanguageOf(languages);
}

const char* Tr(const char* id)
{
    if (!translating || id == nullptr || *id == '\0') return id;
    return ::dgettext(kTextDomain, id);
}

std::string Tr(const std::string& id) { return Tr(id.c_str()); }

std::string FillPlaceholders(std::string_view text, std::initializer_list<std::string> args)
{
    std::string filled;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find('{', pos);
        const size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) break;
        const std::string_view inside = text.substr(open + 1, close - open - 1);
        const bool wide = inside.ends_with(":wide");
        const std::string_view number = wide ? inside.substr(0, inside.size() - 5) : inside;
        size_t index = 0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), index);
        const bool valid = !number.empty() && error == std::errc() && end == number.data() + number.size();
        filled.append(text.substr(pos, open - pos));
        if (valid && index >= 1 && index <= args.size()) {
            const std::string& arg = *(args.begin() + (index - 1));
            filled += wide ? FullWidthDigitsOf(arg) : arg;
        } else {
            filled.append(text.substr(open, close + 1 - open));  // no placeholder: kept as written
        }
        pos = close + 1;
    }
    filled.append(text.substr(std::min(pos, text.size())));
    return filled;
}

std::string TrFormat(const char* id, std::initializer_list<std::string> args)
{
    return FillPlaceholders(Tr(id), args);
}

bool MadeFrom(const std::string& shown, const std::string& text)
{
    const size_t first = text.find('{');
    if (first == std::string::npos) return shown == text;
    const size_t last = text.rfind('}');
    const std::string head = text.substr(0, first);
    const std::string tail = text.substr(last + 1);
    return shown.size() >= head.size() + tail.size() && shown.compare(0, head.size(), head) == 0 &&
           shown.compare(shown.size() - tail.size(), tail.size(), tail) == 0;
}

std::string ShownLanguage() { return shownLanguage; }
