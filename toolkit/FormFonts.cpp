// The fonts of a form and its controls: one of each kind, made when first asked for.
#include "toolkit/Form.h"

#include <algorithm>

namespace Toolkit {

HFONT Form::FontHandle(const FontSpec& wanted) {
    const auto known = std::find_if(fonts_.begin(), fonts_.end(),
                                    [&wanted](const auto& font) { return font.first == wanted; });
    if (known != fonts_.end())
        return known->second.Get();
    LOGFONTW description{};
    description.lfHeight = -MulDiv(wanted.Size, ScreenDpiY(), 72);
    description.lfWeight = wanted.Bold ? FW_BOLD : FW_NORMAL;
    description.lfCharSet = wanted.Charset;
    description.lfOutPrecision = OUT_DEFAULT_PRECIS;
    description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    description.lfQuality = DEFAULT_QUALITY;
    description.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcsncpy_s(description.lfFaceName, wanted.Name.c_str(), _TRUNCATE);
    UniqueFont font(CreateFontIndirectW(&description));
    const HFONT handle = font.Get();
    fonts_.emplace_back(wanted, std::move(font));
    return handle;
}

} // namespace Toolkit
