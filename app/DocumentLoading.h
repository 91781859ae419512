#pragma once
// Reading a GIF file in full, off the GUI thread, into an image nobody else
// sees, and telling the user why a file could not be read or what was
// repaired while reading it.

#include <QString>

class IUserPrompts;
class QWidget;
class TGIFImage;

struct TLoadOutcome {
    bool Loaded = false;
    bool Cancelled = false;
    QString Failure;  // why the file could not be read
    QString Warnings; // what was repaired or skipped, for the user; empty when nothing
};

// Reads Path into Target (which only then takes its frames); a progress
// window with Cancel under ProgressParent, none when it is null.
TLoadOutcome ReadGIF(const QString& Path, TGIFImage& Target, QWidget* ProgressParent);

// "Unable to decode GIF file." with the reason (nothing for a Cancel).
void ShowLoadFailure(IUserPrompts& Prompts, const QString& Path, const TLoadOutcome& Outcome);
// The warnings, once, when there are any.
void ShowLoadWarnings(IUserPrompts& Prompts, const TLoadOutcome& Outcome);
// A JPEG or BMP picture that could not be read.
void ShowPictureFailure(IUserPrompts& Prompts, const QString& Path, const QString& Reason);
