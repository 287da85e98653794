// The profile file's lookup rules, a character at a time.
#include "platform/ProfileRules.h"

#include "platform/CodePage.h"
#include "platform/ProfileFile.h"

#include <algorithm>

namespace platform {
namespace {

// Windows trims these around names and values: blanks, tabs, vertical tabs, form feeds,
// and Ctrl-Z, the end-of-file mark that DOS editors left after the last line.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

// Only ASCII letters fold: the Windows-1250 letters above 0x7F are compared as bytes,
// so the result does not depend on the machine's locale.
char foldAsciiCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAsciiCase(a[i]) != foldAsciiCase(b[i]))
            return false;
    }
    return true;
}

// Quotes let a value keep blanks at its ends; blanks inside the quotes stay. Removed
// before the value is cut to length.
std::string valueOf(const ProfileField& value, ProfileText text)
{
    std::string_view kept = value.text();
    const bool quoted = value.length() >= 2 && (kept.front() == '"' || kept.front() == '\'') &&
                        value.last() == kept.front();
    if (quoted) {
        kept.remove_prefix(1);
        if (value.length() == value.keptUnits())  // the closing quote is among the kept units
            kept.remove_suffix(1);
    }
    return cutProfileValue(kept, text);
}

}  // namespace

std::string cutProfileValue(std::string_view value, ProfileText text)
{
    if (text == ProfileText::Windows1250)
        return std::string(value.substr(0, kProfileValueMaxLength));
    std::size_t units = 0;
    for (std::size_t at = 0; at < value.size(); ++at) {
        units += utf16UnitsOfLead(static_cast<unsigned char>(value[at]));
        if (units <= kProfileValueMaxLength)
            continue;
        // Cut before the character that does not fit; half a pair still fits.
        std::string cut(value.substr(0, at));
        if (units == kProfileValueMaxLength + 1 && utf16UnitsOfLead(static_cast<unsigned char>(value[at])) == 2)
            appendUtf8(cut, U'\uFFFD');
        return cut;
    }
    return std::string(value);
}

void ProfileField::add(char c)
{
    if (ended_)
        return;
    if (c == '\0') {
        settleBlanks();
        ended_ = true;
    } else if (isBlank(c)) {
        if (length_ == 0)
            return;
        if (blanks_.size() < kept_)
            blanks_ += c;
        ++blankCount_;
        lastBlank_ = c;
    } else {
        settleBlanks();
        append(c);
    }
}

bool ProfileField::equalsIgnoringCase(std::string_view name) const
{
    return length_ == keptUnits_ && text_.size() == name.size() && equalsIgnoringAsciiCase(text_, name);
}

std::size_t ProfileField::unitsOf(char c) const
{
    return encoding_ == ProfileText::Utf8 ? utf16UnitsOfLead(static_cast<unsigned char>(c)) : 1;
}

// A character is kept whole or not at all; half of a pair where only one unit is left is
// kept as the U+FFFD that Windows makes of it.
void ProfileField::append(char c)
{
    const std::size_t units = unitsOf(c);
    last_ = c;
    if (units == 0) {  // a continuation byte: kept with its character
        if (keepingCharacter_)
            text_ += c;
        return;
    }
    length_ += units;
    keepingCharacter_ = keptUnits_ + units <= kept_;
    if (keepingCharacter_) {
        text_ += c;
        keptUnits_ += units;
    } else if (keptUnits_ < kept_) {
        appendUtf8(text_, U'\uFFFD');
        ++keptUnits_;
    }
}

void ProfileField::settleBlanks()
{
    if (blankCount_ == 0)
        return;
    const std::size_t room = kept_ > keptUnits_ ? kept_ - keptUnits_ : 0;
    const std::size_t keptBlanks = std::min(room, blanks_.size());
    text_.append(blanks_, 0, keptBlanks);
    keptUnits_ += keptBlanks;
    keepingCharacter_ = false;
    length_ += blankCount_;
    last_ = lastBlank_;
    blanks_.clear();
    blankCount_ = 0;
}

ProfileLookup::ProfileLookup(std::string_view section, std::string_view key, ProfileText text)
    : section_(section), key_(key), text_(ProfileText::Windows1250)
{
    reading(text);
}

void ProfileLookup::reading(ProfileText text)
{
    if (text == text_)
        return;
    // The names looked for in the text's own encoding.
    section_ = text == ProfileText::Utf8 ? windows1250ToUtf8(section_) : utf8ToWindows1250(section_);
    key_ = text == ProfileText::Utf8 ? windows1250ToUtf8(key_) : utf8ToWindows1250(key_);
    text_ = text;
}

bool ProfileLookup::feed(std::string_view text)
{
    for (char c : text) {
        if (c == '\r' || c == '\n')
            endLine();
        else
            take(c);
        if (done_)
            return false;
    }
    return true;
}

void ProfileLookup::finish()
{
    if (!done_)
        endLine();
}

void ProfileLookup::take(char c)
{
    switch (part_) {
    case Part::Start:
        if (isBlank(c))
            return;
        if (c == '[') {
            startName(Part::SectionName, section_);
        } else if (c == ';') {
            part_ = Part::Rest;  // a comment
        } else {
            startName(Part::KeyName, key_);
            name_.add(c);
        }
        return;
    case Part::SectionName:
        if (c == ']') {
            endSectionName();
            part_ = Part::Rest;  // text after the name is passed over
        } else {
            name_.add(c);
        }
        return;
    case Part::KeyName:
        if (c != '=') {
            name_.add(c);
        } else if (inWantedSection_ && name_.equalsIgnoringCase(key_)) {
            valueText_ = ProfileField(kProfileValueMaxLength + 1, text_);
            part_ = Part::WantedValue;
        } else {
            part_ = Part::Rest;
        }
        return;
    case Part::WantedValue: valueText_.add(c); return;
    case Part::Rest: return;
    }
}

void ProfileLookup::endLine()
{
    switch (part_) {
    case Part::SectionName: endSectionName(); break;  // an unclosed '[' names the rest of the line
    case Part::WantedValue:
        value_ = valueOf(valueText_, text_);
        done_ = true;
        break;
    case Part::KeyName:  // a line without '=' carries no value and is passed over
    case Part::Start:
    case Part::Rest: break;
    }
    part_ = Part::Start;
}

void ProfileLookup::startName(Part part, std::string_view wanted)
{
    part_ = part;
    name_ = ProfileField(wanted.size() + 1);
}

void ProfileLookup::endSectionName()
{
    if (inWantedSection_)
        done_ = true;  // the section ended without the key
    inWantedSection_ = name_.equalsIgnoringCase(section_);
}

std::string profileStringFromText(std::string_view contents, std::string_view section,
                                  std::string_view key, std::string_view defaultValue)
{
    ProfileLookup lookup(section, key);
    if (lookup.feed(contents))
        lookup.finish();
    return lookup.value() ? *lookup.value() : cutProfileValue(defaultValue);
}

}  // namespace platform
