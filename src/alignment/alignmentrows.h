#pragma once
// Reading and writing the rows of アライメント and アライメントマスタ: the
// select statements, the 26 standard values they share, and the whole
// alignment record as its screen shows it.
#include "data/records.h"

#include <QString>
#include <array>

class Recordset;

namespace alignment {

inline const QString kSelectAlignment = QStringLiteral("SELECT * FROM アライメント WHERE コード=");
inline const QString kSelectBase = QStringLiteral("SELECT * FROM アライメントマスタ WHERE コード=");
inline const QString kBaseListSql = QStringLiteral("SELECT アライメントマスタ.コード, アライメントマスタ.登録名 From アライメントマスタ ") +
                                    QStringLiteral("ORDER BY アライメントマスタ.コード");

using StandardValues = std::array<QString, 26>;

// The 26 standard columns of the current row, each trimmed.
StandardValues readStandard(const Recordset& rs);
// Writes the 26 standard columns in their order, each trimmed.
void writeStandard(Recordset& rs, const StandardValues& values);

// An アライメント row as its screen shows it: the base-master code in "0000",
// every text trimmed, the diameters as plain numbers. baseName stays empty
// (it comes from the master).
AlignmentRecord readAlignment(const Recordset& rs);
// Writes the 76 columns in their order: the code, the base-master code as
// shown (untrimmed), the standard values, 調整前, 調整後 (trimmed), then each
// tyre size (trimmed) followed by its diameter as a number (0 when empty).
void writeAlignment(Recordset& rs, const AlignmentRecord& record, qint64 code);

}  // namespace alignment
