#pragma once
// Tool-bar pictures: the style's icons where it has one, else a drawn glyph.

#include "app/CommandIds.h"

#include <QIcon>

class QStyle;

QIcon CommandIcon(TCommandId Id, QStyle* Style);
