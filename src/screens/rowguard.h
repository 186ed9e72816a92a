#pragma once
// What a record screen remembers of the record it shows, so that its save
// and delete notice what another PC did meanwhile (changed, deleted, or took
// the same new code) and ask before anything is written over it. Where the
// engine keeps no row versions (the data file) every check passes and no
// question is ever asked.
#include "data/database.h"

#include <QString>
#include <QVariant>
#include <functional>

class QWidget;
struct CodeKind;

class RowGuard {
 public:
  // A stored record now shown, read at the version `rs` carries.
  void loaded(qlonglong code, const Recordset& rs);
  // A code with no stored record: a new record is entered under it.
  void fresh(qlonglong code);
  void clear();

  // The version to check a save or delete of `code` against; null: none.
  QVariant expected(qlonglong code) const;
  // `rs` (the stored row of `code`, read at the save) appeared since the
  // screen took `code` as new: another PC registered it. The save is then a
  // new record whose code is taken, never an overwrite.
  bool takenMeanwhile(qlonglong code, const Recordset& rs) const;
  // The record shown was deleted elsewhere since it was read.
  bool goneMeanwhile(qlonglong code, const Recordset& rs) const;

  // Writes `rs` (after edit(expected(code)) or addNew() and its fields) and
  // asks on what another PC did first: write over a change, register a
  // deleted record again, or take the next free code of `codes` when the
  // code was taken (`showCode` then puts it in the code field). Returns 1
  // when written, 0 when the user chose not to. Throws DbError.
  int save(QWidget* parent, const QString& caption, Recordset& rs, qlonglong code, const CodeKind& codes,
           const std::function<void(const QString&)>& showCode);
  // Deletes the current row of `rs`, asking first when another PC changed
  // it since it was read. Returns 1 when it is gone, 0 when kept.
  int remove(QWidget* parent, const QString& caption, Recordset& rs, qlonglong code);

  static QString changedText();
  static QString deletedText();

 private:
  qlonglong code_ = -1;
  QVariant version_;
  bool fresh_ = false;
};
