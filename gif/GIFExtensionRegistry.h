#pragma once
// Process-wide registries that map an extension label, and an application
// identifier, to the extension class that reads it. Later registrations of the
// same key win, so a program can replace a built-in class.

#include "gif/GIFExtensions.h"

class TStream;

// The built-in classes are registered on first use.
void RegisterExtensionClass(const TGIFExtensionClass& cls);
void RegisterApplicationClass(const TGIFAppIdent& ident, const TGIFExtensionClass& cls);
void RegisterApplicationClass(const char* ident11, const TGIFExtensionClass& cls);

// The class registered for a label, or null.
const TGIFExtensionClass* FindLabelClass(std::uint8_t label);
// The class registered for an application identifier (11 bytes), or null.
const TGIFExtensionClass* FindApplicationClass(const TGIFAppIdent& ident);

// Called with the stream just after an extension introducer: reads the label,
// takes its class and lets it narrow itself down; restores the position.
// Answers null when the label is unknown or no class fits.
const TGIFExtensionClass* FindExtensionClass(TStream& stream);
