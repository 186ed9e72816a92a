#pragma once
// Jet files shaped like the ones the workshop keeps: our six tables with
// their Japanese names, in the column types a Jet data file of this kind
// uses (Long codes, Integer flags, Single spring data, text values).
#include "support/jetwriter.h"

namespace jetdata {

// One of our tables as a Jet table without rows.
jetfile::Table table(const QString& name);
// All six, without rows except the one version row.
QList<jetfile::Table> tables();

// A row of realistic values for table `name` with code `code`.
QVariantList row(const QString& name, int code);

// The six tables with the given numbers of rows (codes 1..n).
QList<jetfile::Table> filled(int settings, int users, int products, int alignments, int bases);

jetfile::Table* find(QList<jetfile::Table>& tables, const QString& name);

}  // namespace jetdata
