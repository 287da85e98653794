// Decoding a profile file's bytes a piece at a time.
#include "platform/ProfileDecoder.h"

namespace platform {
namespace {

bool couldStartAMark(std::string_view start)
{
    for (std::string_view mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
        if (mark.starts_with(start))
            return true;
    }
    return false;
}

}  // namespace

std::string ProfileDecoder::decode(std::string_view piece)
{
    pending_.append(piece);
    if (!encodingKnown_) {
        if (pending_.size() < 3 && couldStartAMark(pending_))
            return {};
        takeMark();
    }
    return takeDecodable(false);
}

std::string ProfileDecoder::finish()
{
    if (!encodingKnown_)
        takeMark();
    return takeDecodable(true);
}

void ProfileDecoder::takeMark()
{
    encodingKnown_ = true;
    const ByteOrderMark mark = byteOrderMarkOf(pending_);
    encoding_ = mark.encoding;
    pending_.erase(0, mark.length);
}

// Keeps back the end of a character that the next piece completes.
std::string ProfileDecoder::takeDecodable(bool last)
{
    std::size_t complete = pending_.size();
    if (!last && (encoding_ == TextEncoding::Utf16le || encoding_ == TextEncoding::Utf16be))
        complete = utf16Complete();
    if (!last && encoding_ == TextEncoding::Utf8)
        complete = utf8Complete();
    const std::string_view ready = std::string_view(pending_).substr(0, complete);
    std::string text;
    switch (encoding_) {
    case TextEncoding::Unmarked: text.assign(ready); break;
    case TextEncoding::Utf16le: text = utf16leToUtf8(ready); break;
    case TextEncoding::Utf16be: text = utf16beToUtf8(ready); break;
    case TextEncoding::Utf8: text = utf8AsWindowsDecodesIt(ready); break;
    }
    pending_.erase(0, complete);
    return text;
}

std::size_t ProfileDecoder::utf16Complete() const
{
    std::size_t complete = pending_.size() & ~std::size_t{1};
    if (complete >= 2) {
        const std::size_t highByteAt = encoding_ == TextEncoding::Utf16le ? complete - 1 : complete - 2;
        const auto highByte = static_cast<unsigned char>(pending_[highByteAt]);
        if (highByte >= 0xD8 && highByte <= 0xDB)
            complete -= 2;  // a high surrogate waits for its partner
    }
    return complete;
}

std::size_t ProfileDecoder::utf8Complete() const
{
    // A sequence whose length runs past the bytes read so far waits for the next piece:
    // whether it is whole, cut off by a byte that cannot continue it, or cut short by the
    // end of the file (which makes all that is left one invalid sequence) shows only then.
    // Every byte that starts a sequence starts one wherever it stands, so only the last
    // three bytes can hold such a start.
    const std::size_t size = pending_.size();
    for (std::size_t start = size > 3 ? size - 3 : 0; start < size; ++start) {
        if (start + utf8SequenceLength(static_cast<unsigned char>(pending_[start])) > size)
            return start;
    }
    return size;
}

}  // namespace platform
