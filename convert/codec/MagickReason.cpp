#include "MagickReason.h"

#include <Magick++.h>

#include <exception>
#include <new>

std::string ShortMagickReason(const std::string& message)
{
    std::string text = message;
    // Magick++ prefixes the program name ("tessaglyph: ...").
    const std::size_t colon = text.find(": ");
    if (colon != std::string::npos && text.find(' ') > colon)
        text.erase(0, colon + 2);
    for (const char* cut : {" `", " @ ", " ("}) {
        const std::size_t at = text.find(cut);
        if (at != std::string::npos)
            text.erase(at);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z' && !(text.size() > 1 && text[1] >= 'A' && text[1] <= 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

bool GuardedStep(std::string& error, const char* what, const std::function<bool()>& step)
{
    try {
        return step();
    } catch (const Magick::Exception& e) {
        error = std::string(what) + " (" + ShortMagickReason(e.what()) + ")";
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
    } catch (const std::exception& e) {
        error = std::string(what) + " (" + e.what() + ")";
    } catch (...) {
        error = what;
    }
    return false;
}
