#include "imaging/WebSnippet.h"

namespace {

std::string Attribute(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + EscapeHtml(value) + "\"";
}

std::string Size(const TWebSnippet& s) {
    return Attribute("width", std::to_string(s.Width)) + Attribute("height", std::to_string(s.Height));
}

std::string Linked(const TWebSnippet& s, const std::string& body) {
    if (s.Link.empty()) return body;
    return "<a" + Attribute("href", s.Link) + ">\n" + body + "</a>\n";
}

std::string Image(const TWebSnippet& s, const char* indent) {
    return indent + std::string("<img") + Attribute("src", s.Gif) + Size(s) + Attribute("alt", s.Alt) +
           " loading=\"lazy\">\n";
}

}  // namespace

std::string SiblingName(const std::string& gif, const std::string& suffix) {
    const std::size_t slash = gif.find_last_of('/');
    const std::size_t dot = gif.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
                              dot + 1 < gif.size();
    return (hasExtension ? gif.substr(0, dot) : gif) + suffix;
}

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string PictureSnippet(const TWebSnippet& s) {
    const std::string body = "<picture>\n"
                             "  <source" + Attribute("srcset", s.Still) + " media=\"(prefers-reduced-motion: reduce)\">\n"
                             "  <source" + Attribute("srcset", SiblingName(s.Gif, ".webp")) + " type=\"image/webp\">\n" +
                             Image(s, "  ") + "</picture>\n";
    return Linked(s, body);
}

std::string VideoSnippet(const TWebSnippet& s) {
    const std::string body =
        std::string("<video autoplay") + (s.Loops ? " loop" : "") + " muted playsinline" + Size(s) +
        Attribute("poster", s.Still) + Attribute("aria-label", s.Alt) + ">\n" +
        "  <source" + Attribute("src", SiblingName(s.Gif, ".webm")) + " type=\"video/webm\">\n" +
        "  <source" + Attribute("src", SiblingName(s.Gif, ".mp4")) + " type=\"video/mp4\">\n" + Image(s, "  ") +
        "</video>\n"
        "<script>if (matchMedia(\"(prefers-reduced-motion: reduce)\").matches) "
        "document.currentScript.previousElementSibling.removeAttribute(\"autoplay\");</script>\n";
    return Linked(s, body);
}
