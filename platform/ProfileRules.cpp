// The profile file's lookup rules, a character at a time.
#include "platform/ProfileRules.h"

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
std::string valueOf(const ProfileField& value)
{
    std::string_view text = value.text();
    const bool quoted = value.length() >= 2 && (text.front() == '"' || text.front() == '\'') &&
                        value.last() == text.front();
    if (quoted) {
        text.remove_prefix(1);
        if (value.length() <= text.size() + 1)  // the closing quote is among the kept characters
            text.remove_suffix(1);
    }
    return cutProfileValue(text);
}

}  // namespace

std::string cutProfileValue(std::string_view value)
{
    return std::string(value.substr(0, kProfileValueMaxLength));
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
    return length_ == name.size() && equalsIgnoringAsciiCase(text_, name);
}

void ProfileField::append(char c)
{
    if (text_.size() < kept_)
        text_ += c;
    ++length_;
    last_ = c;
}

void ProfileField::settleBlanks()
{
    if (blankCount_ == 0)
        return;
    const std::size_t room = kept_ > text_.size() ? kept_ - text_.size() : 0;
    text_.append(blanks_, 0, std::min(room, blanks_.size()));
    length_ += blankCount_;
    last_ = lastBlank_;
    blanks_.clear();
    blankCount_ = 0;
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
            valueText_ = ProfileField(kProfileValueMaxLength + 1);
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
        value_ = valueOf(valueText_);
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
