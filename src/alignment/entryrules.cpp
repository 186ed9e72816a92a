#include "alignment/entryrules.h"

#include "data/numfmt.h"

namespace alignment {

QString patternOf(Family family) {
  switch (family) {
    case Family::Standard:
    case Family::Range:
    case Family::Measurement: return QStringLiteral("0.00");
    case Family::Diameter: return QStringLiteral("##0");
    case Family::Code: return QStringLiteral("0000");
    case Family::TyreSize:
    case Family::Name: break;
  }
  return QString();
}

bool hasFirstKeyRule(Family family) { return isNumber(family); }

QString normalise(const QString& text, Family family) {
  if (!isNumber(family)) return text;
  if (text.trimmed().isEmpty()) return QString();
  return numfmt::format(numfmt::val(text), patternOf(family));
}

const QList<Quantity>& quantities() {
  static const QList<Quantity> q = [] {
    auto mm = QStringLiteral("mm"), deg = QStringLiteral("度");
    QList<Quantity> list;
    list << Quantity{QStringLiteral("トータルトウ"), QStringLiteral("トータルトウF"), QStringLiteral("トータルトウ範囲F"), mm, 0, 0, -1, -1, -1};
    list << Quantity{QStringLiteral("個別トウ"), QStringLiteral("個別トウF"), QStringLiteral("個別トウ範囲F"), mm, 0, -1, 1, 2, -1};
    list << Quantity{QStringLiteral("キャンバー"), QStringLiteral("キャンバーF"), QStringLiteral("キャンバー範囲F"), deg, 0, -1, 3, 4, 5};
    list << Quantity{QStringLiteral("キャスター"), QStringLiteral("キャスターF"), QStringLiteral("キャスター範囲F"), deg, 0, -1, 6, 7, 8};
    list << Quantity{QStringLiteral("ＳＡＩ"), QStringLiteral("SAI"), QString(), deg, 0, -1, 9, 10, 11};
    list << Quantity{QStringLiteral("ｲﾝｸﾙｰﾄﾞ角"), QStringLiteral("インクルード角F"), QStringLiteral("インクルード角範囲F"), deg, 0, -1, 12, 13, 14};
    list << Quantity{QStringLiteral("トータルトウ"), QStringLiteral("トータルトウR"), QStringLiteral("トータルトウ範囲R"), mm, 1, 15, -1, -1, -1};
    list << Quantity{QStringLiteral("個別トウ"), QStringLiteral("個別トウR"), QStringLiteral("個別トウ範囲R"), mm, 1, -1, 16, 17, -1};
    list << Quantity{QStringLiteral("キャンバー"), QStringLiteral("キャンバーR"), QStringLiteral("キャンバー範囲R"), deg, 1, -1, 18, 19, 20};
    list << Quantity{QStringLiteral("スラスト角"), QStringLiteral("スラスト角"), QString(), deg, 1, 21, -1, -1, -1};
    return list;
  }();
  return q;
}

const QList<FieldInfo>& standardFields() {
  static const QList<FieldInfo> fields = [] {
    QList<FieldInfo> out;
    for (const Quantity& q : quantities()) {
      FieldInfo s;
      s.name = s.control = q.standard;
      s.family = Family::Standard;
      s.yellow = true;
      s.maxChars = 6;
      // These two leave the input method as it is.
      s.inputMethodOff = q.standard != u"キャスターF" && q.standard != u"インクルード角F";
      out << s;
      if (q.range.isEmpty()) continue;
      for (int i = 0; i < 2; ++i) {
        FieldInfo r;
        r.control = q.range;
        r.index = i;
        r.name = q.range + u'(' + QString::number(i) + u')';
        r.family = Family::Range;
        r.maxChars = q.axle == 0 ? 6 : 0;  // the rear boxes have no limit
        out << r;
      }
    }
    return out;
  }();
  return fields;
}

static FieldInfo single(const QString& name, Family family, bool yellow, int maxChars) {
  FieldInfo s;
  s.name = s.control = name;
  s.family = family;
  s.yellow = yellow;
  s.maxChars = maxChars;
  return s;
}

static FieldInfo member(const QString& control, int index, Family family, bool yellow, int maxChars) {
  FieldInfo s = single(control + u'(' + QString::number(index) + u')', family, yellow, maxChars);
  s.control = control;
  s.index = index;
  return s;
}

const QList<FieldInfo>& araimentFields() {
  static const QList<FieldInfo> fields = [] {
    QList<FieldInfo> out;
    out << single(QStringLiteral("アライメントコード"), Family::Code, false, 4);
    out << standardFields();
    for (int i = 0; i < 22; ++i)
      out << member(QStringLiteral("調整前"), i, Family::Measurement, false, 6);
    for (int i = 0; i < 22; ++i)
      out << member(QStringLiteral("調整後"), i, Family::Measurement, true, 6);
    for (int i = 0; i < 2; ++i) {
      out << member(QStringLiteral("タイヤサイズ"), i, Family::TyreSize, true, 10);
      out << member(QStringLiteral("タイヤ外径"), i, Family::Diameter, true, 3);
    }
    return out;
  }();
  return fields;
}

const QList<FieldInfo>& araimentBaseFields() {
  static const QList<FieldInfo> fields = [] {
    QList<FieldInfo> out;
    out << single(QStringLiteral("コード"), Family::Code, false, 4);
    FieldInfo name = single(QStringLiteral("登録名"), Family::Name, false, 0);
    name.inputMethodOff = false;
    out << name << standardFields();
    return out;
  }();
  return fields;
}

const FieldInfo* findField(const QList<FieldInfo>& fields, const QString& name) {
  for (const FieldInfo& f : fields)
    if (f.name == name) return &f;
  return nullptr;
}

static Navigation linear(const QList<FieldInfo>& chain) {
  Navigation nav;
  for (int i = 0; i < chain.size(); ++i)
    nav.insert(chain[i].name, Step{i + 1 < chain.size() ? chain[i + 1].name : QString(),
                                   i > 0 ? chain[i - 1].name : QString()});
  return nav;
}

const Navigation& araimentNavigation() {
  static const Navigation nav = linear(araimentFields());
  return nav;
}

const Navigation& araimentBaseNavigation() {
  static const Navigation nav = [] {
    Navigation n;
    for (const FieldInfo& f : standardFields()) n.insert(f.name, araimentNavigation().value(f.name));
    // The two places where the master differs from the record screen: the
    // first value steps back to the name, and the last value is the end.
    n[QStringLiteral("トータルトウF")].esc = QStringLiteral("登録名");
    n[QStringLiteral("スラスト角")].enter = QString();
    n.insert(QStringLiteral("コード"), Step{QStringLiteral("登録名"), QString()});
    n.insert(QStringLiteral("登録名"), Step{QStringLiteral("トータルトウF"), QStringLiteral("コード")});
    return n;
  }();
  return nav;
}

}  // namespace alignment
