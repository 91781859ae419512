#pragma once
// Small routines shared by the main window's parts.

#include <QString>
#include <QStringList>

#include <exception>
#include <string>
#include <vector>

class QScrollArea;
class QWidget;

// Margins the preview keeps from the scroll box's edges when it does not fit.
constexpr int ScrollBoxMarginX = 10;
constexpr int ScrollBoxMarginY = 5;

// Where a control of ControlExtent goes along one axis of a box whose client
// area is ClientExtent long: centred when it fits, else at the margin.
int CenteredOffset(int ClientExtent, int ControlExtent, int Margin);

// Scrolls the box home and centres Control (the box's content) in it per axis.
void CenterInScrollBox(QScrollArea* Box, QWidget* Control);

// A hint "Tip|Status": the tool-tip part and the status-bar part.
QString ShortHint(const QString& Hint);
QString LongHint(const QString& Hint);

// A filter written "Description|*.a;*.b|..." as the file dialogs take it:
// "Description (*.a *.b);;...". "*.*" becomes "*", so files without an
// extension show too.
QString DialogFilter(const QString& Filter);

// The name part of a path ("C:/a/b.gif" -> "b.gif"); "Untitled" stays as it is.
QString FilePart(const QString& Path);

// The hourglass for as long as the object lives, on every exit path.
struct TWaitCursor {
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// What an error says to the user: its message and, for the GIF layer's
// errors, the detail behind it (the limit that was passed, for instance).
QString ExceptionText(const std::exception& Error);

// The distinct warnings of a file in the order they first came, as one
// message that lists them; empty when there were none.
QString WarningsText(const QString& FileName, const std::vector<std::string>& Warnings);
