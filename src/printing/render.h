#pragma once
// Replaying a recorded document with QPainter. The same code paints the
// preview, the printer and PDF files.
#include "printing/displaylist.h"

#include <QColor>
#include <QFont>

class QPainter;
class QPagedPaintDevice;

// A print font: the face name as the program names it ("ＭＳ 明朝" is drawn
// with the font it is mapped to) at `points`, sized in pixels of one twip so
// that its metrics are the same on every device.
QFont printFont(const QString& name, double points, bool bold = false);
// A blue-green-red colour value as a colour.
QColor colourOf(qint32 bgr);

// Paints one page; the painter's coordinates are twips.
void paintPage(QPainter& painter, const PrintPage& page);
// Paints every page onto a paged device whose painter is active, with a new
// device page between pages.
void paintDocument(QPainter& painter, QPagedPaintDevice& device, const PrintDocument& document);
