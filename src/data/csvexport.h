#pragma once
// The records of a table as a CSV file for a spreadsheet: a header row of
// the field names, then one record per row, RFC 4180 quoting, CRLF line
// ends. Values are written as the screens show them: codes zero-padded
// ("0001", "02"), the setting's record date as yyyy/mm/dd, NULL as an empty
// cell. The file is UTF-8 with a byte-order mark (so that Excel reads it as
// Japanese) or, for older spreadsheet programs, Shift_JIS (CP932), refused
// when a value holds a character that code page does not have.
// Qt Core and the data layer only.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

class Engine;

namespace csv {

enum class Encoding { Utf8, ShiftJis };

// The five tables a spreadsheet export writes, in this order.
const QStringList& exportTables();

// One RFC 4180 field: quoted, with its quotes doubled, when it holds a
// comma, a quote or a line break.
QString field(const QString& text);

// The text a stored value of `column` in `table` is written as.
QString cellText(const QString& table, const QString& column, const QVariant& value);

// The CSV text of rows of `table`: the header row of `columns`, then every
// row (values in the order of `columns`).
QString tableText(const QString& table, const QStringList& columns, const std::vector<std::vector<QVariant>>& rows);

struct Encoded {
  QByteArray bytes;
  int rowCount = 0;
  QString refusal;  // when not empty, the file could not be encoded; says why in Japanese
};
// The bytes of a CSV text. For Shift_JIS, the first value that cannot be
// written is named by its table, its row's code and its field.
Encoded encode(const QString& table, const QStringList& columns, const std::vector<std::vector<QVariant>>& rows,
               Encoding encoding);

// Reads every row of `table` from the data file `file` in code order, or
// only the rows whose code is in `codes`, in that order, when it is given.
// Throws DbError.
Encoded exportTable(const QString& file, const QString& table, Encoding encoding,
                    const QList<qint64>* codes = nullptr);
// The same from the open records (Database::engine()), a file or a server.
Encoded exportTable(const std::shared_ptr<const Engine>& engine, const QString& table, Encoding encoding,
                    const QList<qint64>* codes = nullptr);

// Writes the bytes under a temporary name beside `path` and renames it into
// place, so that a file of that name is never half-written. False with a
// Japanese reason.
bool writeFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace csv
