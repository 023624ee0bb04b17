// The Qt toolbox's alerts and dialogs: the beep, stop and caution alerts,
// the folder chooser and the file opener.
#include "platform/qt/qt_toolbox.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <string>

#include "platform/qt/qt_toolbox_state.h"

using namespace qtbox;

void SysBeep() { QApplication::beep(); }

namespace {
bool runAlert(QMessageBox::Icon icon, std::string_view title, std::string_view message, std::string_view button,
              bool withCancel) {
  if (tb().alertResponder) return tb().alertResponder(title);
  QMessageBox box(alertParent());
  box.setIcon(icon);
  box.setWindowTitle(QStringLiteral("Lumaroll"));
  box.setText(QStringLiteral("<b>%1</b>")
                  .arg(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())).toHtmlEscaped()));
  box.setInformativeText(QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
  QPushButton* ok =
      box.addButton(QString::fromUtf8(button.data(), static_cast<qsizetype>(button.size())), QMessageBox::AcceptRole);
  if (withCancel) box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(withCancel ? ok : nullptr);
  box.exec();
  return box.clickedButton() == ok;
}
}  // namespace

bool CationAlert(std::string_view title, std::string_view message, std::string_view button) {
  return runAlert(QMessageBox::Warning, title, message, button, true);
}

void myStopAlert(std::string_view title, std::string_view message, std::string_view button) {
  runAlert(QMessageBox::Critical, title, message, button, false);
}

// ---- Folders, opener -----------------------------------------------------------------------------

bool toolboxChooseFolder(std::string_view prompt, std::string& path) {
  const QString dir = QFileDialog::getExistingDirectory(alertParent(), qText(prompt), QDir::homePath());
  if (dir.isEmpty()) return false;
  path = QFile::encodeName(dir).toStdString();
  if (path.empty() || path.back() != '/') path += '/';
  return true;
}

void toolboxOpenURL(std::string_view url) { QDesktopServices::openUrl(QUrl(qText(url))); }

std::int32_t toolboxRevealFile(std::string_view path, void (*failed)()) {
  const QString file = QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
  QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                                     "org.freedesktop.FileManager1", "ShowItems");
  call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
  if (reply.type() == QDBusMessage::ReplyMessage) return 0;
  // No file manager answers: the desktop's opener opens the folder that holds
  // the file. It is watched rather than started blind, because an opener
  // with nothing to hand the folder to only says so on its standard error.
  const QString folder = QFileInfo(file).absolutePath();
  QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  QStringList args{folder};
  if (opener.isEmpty()) {
    opener = QStandardPaths::findExecutable(QStringLiteral("gio"));
    args = QStringList{QStringLiteral("open"), folder};
  }
  if (opener.isEmpty()) return -1;
  auto* process = new QProcess(QCoreApplication::instance());
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  QObject::connect(process, &QProcess::finished, process, [process, failed](int code, QProcess::ExitStatus status) {
    process->deleteLater();
    if ((code != 0 || status != QProcess::NormalExit) && failed) failed();
  });
  process->start(opener, args);
  if (!process->waitForStarted(3000)) {
    delete process;
    return -1;
  }
  return 0;
}
