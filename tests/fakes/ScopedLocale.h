#pragma once
// The locale variables of this process, and of the programs it starts, for a
// while: the ones given, the others unset; put back afterwards.
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Translation.h"

class ScopedLocale {
public:
    ScopedLocale(std::initializer_list<std::pair<const char*, const char*>> values)
    {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::unsetenv(name);
        }
        for (const auto& [name, value] : values) ::setenv(name, value, 1);
    }
    ~ScopedLocale()
    {
        for (const auto& [name, value] : saved_)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The same, with the language of this process's own texts chosen from it
// (catalogs from catalogFolder), and chosen again afterwards.
class ScopedLanguage {
public:
    ScopedLanguage(std::initializer_list<std::pair<const char*, const char*>> values, std::string catalogFolder)
        : locale_(std::in_place, values), folder_(std::move(catalogFolder))
    {
        StartTranslation(folder_);
    }
    ~ScopedLanguage()
    {
        locale_.reset();
        StartTranslation(folder_);
    }

private:
    std::optional<ScopedLocale> locale_;
    std::string folder_;
};
