#include "app/jetstart.h"

#include "convert/convert.h"
#include "data/clock.h"
#include "screens/messages.h"
#include "screens/progresswindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

#include <atomic>

namespace {
const QString kTitle = QStringLiteral("Ashimemo");
}

JetStart offerJetConversion(const QString& dataFile, QWidget* parent) {
  if (convert::fileKind(dataFile) != convert::FileKind::Jet) return JetStart::NotJet;
  const QString name = QFileInfo(dataFile).fileName();
  if (!Msg::confirm(parent, kTitle,
                    QStringLiteral("「%1」は Microsoft Access（Jet 形式）のデータファイルです。\n"
                                   "このプログラムで使える形式に変換しますか？\n\n"
                                   "元のファイルはそのまま「バックアップ」フォルダーに残します。")
                        .arg(name)))
    return JetStart::Declined;
  const QString unchanged = QStringLiteral("「%1」は元のままです。").arg(name);

  convert::Access access;
  // Converting under an open Access would lose whatever it writes next.
  if (const convert::LockFile lock = convert::accessLockFile(dataFile); lock.present()) {
    if (!Msg::confirmDefaultNo(parent, kTitle,
                      QStringLiteral("「%1」は Microsoft Access で開かれています（ロックファイル%2）。\n"
                                     "開いたまま変換すると、その後 Access で入力した内容は失われます。\n\n"
                                     "すべての PC で Access を閉じてから「はい」を押してください。変換します。\n"
                                     "Access が異常終了したときに残ったロックファイルなら、削除してかまいません。")
                          .arg(name, lock.describe()))) {
      Msg::notice(parent, kTitle,
                  QStringLiteral("変換しませんでした。%1\nAccess を閉じてから、もう一度起動してください。").arg(unchanged));
      return JetStart::Ended;
    }
    access.accessClosed = true;
  }
  if (const convert::PasswordInfo password = convert::databasePassword(dataFile); password.set) {
    while (true) {
      if (!Msg::askPassword(parent, kTitle,
                            QStringLiteral("「%1」にはデータベースパスワードが設定されています。\n"
                                           "Microsoft Access で設定したパスワードを入力してください。")
                                .arg(name),
                            &access.password)) {
        Msg::notice(parent, kTitle, QStringLiteral("変換を中止しました。%1\nプログラムを終了します。").arg(unchanged));
        return JetStart::Ended;
      }
      if (access.password == password.password) break;
      Msg::refuse(parent, kTitle, QStringLiteral("パスワードが違います。もう一度入力してください。"));
    }
  }

  convert::prepareEnvironment();
  ProgressWindow dialog(QStringLiteral("変換の準備をしています…"), QStringLiteral("中止"), 0, 0, parent);
  dialog.setObjectName(QStringLiteral("変換"));
  dialog.setWindowTitle(kTitle);
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.setMinimumDuration(0);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setMinimumWidth(420);

  std::atomic<bool> cancelled{false};
  QObject::connect(&dialog, &QProgressDialog::canceled, [&] { cancelled = true; });
  QPointer<ProgressWindow> shown(&dialog);
  QString lastStep;
  // Runs in the worker; the dialog is updated in the main thread.
  auto progress = [&](const convert::Progress& p) {
    QMetaObject::invokeMethod(&dialog, [shown, p, &lastStep] {
      if (!shown) return;
      if (p.step != lastStep) {
        lastStep = p.step;
        shown->setLabelText(p.step);
        Msg::logEvent(QStringLiteral("conversion step\t") + p.step);
      }
      if (p.finishing) {
        shown->refuseCancel();
      } else if (p.total > 0) {
        shown->setMaximum(int(qMin<qint64>(p.total, 1 << 30)));
        shown->setValue(int(qMin(p.done, p.total)));
      }
    }, Qt::QueuedConnection);
    return !cancelled.load();
  };

  convert::Result result;
  const QDateTime now = Clock::now();
  QThread* worker = QThread::create([&] { result = convert::convertInPlace(dataFile, now, progress, access); });
  QEventLoop loop;
  QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
  worker->start();
  dialog.show();
  loop.exec();
  worker->wait();
  delete worker;
  QCoreApplication::processEvents();  // the last queued updates, before the dialog goes
  dialog.hide();

  switch (result.status) {
    case convert::Result::Done:
      // Texts that could not be read exactly are no clean success.
      if (result.report.clean())
        Msg::notice(parent, kTitle, result.report.summary());
      else
        Msg::refuse(parent, kTitle, result.report.summary());
      return JetStart::Converted;
    case convert::Result::Cancelled:
      Msg::notice(parent, kTitle,
                  QStringLiteral("変換を中止しました。「%1」は元のままです。\nプログラムを終了します。").arg(name));
      return JetStart::Ended;
    case convert::Result::Failed: break;
  }
  Msg::refuse(parent, kTitle,
              QStringLiteral("「%1」を変換できませんでした。\n%2\n\n「%1」は元のままです。プログラムを終了します。")
                  .arg(name, result.error));
  return JetStart::Ended;
}
