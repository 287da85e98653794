// The terminal's encoding on POSIX: the locale's code set, reached through iconv.
#include "app/cli/Terminal.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <array>
#include <cerrno>

namespace cli {

namespace {

bool isUtf8Codeset(std::string_view codeset)
{
    return codeset == "UTF-8" || codeset == "utf8" || codeset == "UTF8";
}

// An iconv descriptor, closed when it goes.
class Converter {
public:
    Converter(const std::string& to, const char* from) : descriptor_(iconv_open(to.c_str(), from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(descriptor_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return descriptor_; }

private:
    iconv_t descriptor_;
};

// The C.UTF-8 locale's character rules on this thread while it lives, which know how to
// drop accents; none when that locale is missing.
class TransliterationRules {
public:
    TransliterationRules() : rules_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr))
    {
        if (rules_)
            previous_ = uselocale(rules_);
    }
    ~TransliterationRules()
    {
        if (rules_) {
            uselocale(previous_);
            freelocale(rules_);
        }
    }
    TransliterationRules(const TransliterationRules&) = delete;
    TransliterationRules& operator=(const TransliterationRules&) = delete;

private:
    locale_t rules_;
    locale_t previous_ = nullptr;
};

std::string convertWith(const Converter& converter, std::string_view text)
{
    std::string out;
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::array<char, 1024> buffer{};
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';  // a sequence neither side can take
            ++in;
            --inLeft;
        }
    }
    return out;
}

// Converts with iconv; with `transliterate`, what the target lacks is approximated under
// the C.UTF-8 locale's rules.
std::string convert(std::string_view text, const std::string& to, const char* from, bool transliterate)
{
    const Converter converter(transliterate ? to + "//TRANSLIT" : to, from);
    if (!converter.valid())
        return std::string(text);
    if (!transliterate)
        return convertWith(converter, text);
    const TransliterationRules rules;
    return convertWith(converter, text);
}

}  // namespace

Terminal::Terminal() : codeset_(nl_langinfo(CODESET)), utf8_(isUtf8Codeset(codeset_)) {}

std::string Terminal::message(std::string_view utf8) const
{
    return utf8_ ? std::string(utf8) : convert(utf8, codeset_, "UTF-8", true);
}

std::string Terminal::escaped(std::string_view utf8) const
{
    if (utf8_)
        return escapedText(utf8, false);
    // Escaped for ASCII first, so that only characters every code set has remain.
    return convert(escapedText(utf8, true), codeset_, "UTF-8", false);
}

std::string Terminal::argument(std::string_view localBytes) const
{
    return utf8_ ? std::string(localBytes) : convert(localBytes, "UTF-8", codeset_.c_str(), false);
}

}  // namespace cli
