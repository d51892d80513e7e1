#include "formcore_qt/qt_prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

#include "formcore_qt/text_codec.h"
#include "platform/date_time.h"
#include "platform/path_resolver.h"

namespace zk::qt {
namespace {

QString Title(form::MsgDlgType type) {
  switch (type) {
    case form::MsgDlgType::Warning: return QStringLiteral("Warning");
    case form::MsgDlgType::Error: return QStringLiteral("Error");
    case form::MsgDlgType::Information: return QStringLiteral("Information");
    case form::MsgDlgType::Confirmation: return QStringLiteral("Confirm");
    case form::MsgDlgType::Custom: break;
  }
  return QApplication::applicationDisplayName();
}

QMessageBox::Icon Icon(form::MsgDlgType type) {
  switch (type) {
    case form::MsgDlgType::Warning: return QMessageBox::Warning;
    case form::MsgDlgType::Error: return QMessageBox::Critical;
    case form::MsgDlgType::Information: return QMessageBox::Information;
    case form::MsgDlgType::Confirmation: return QMessageBox::Question;
    case form::MsgDlgType::Custom: break;
  }
  return QMessageBox::NoIcon;
}

// "*.pas" -> "*.[pP][aA][sS]", so DEMO.PAS is offered as well as demo.pas.
QString CaseInsensitivePattern(const QString& pattern) {
  QString out;
  for (QChar c : pattern) {
    if (c.isLetter() && c.toLower() != c.toUpper())
      out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
    else
      out += c;
  }
  return out;
}

QString ResolvedFolder(const std::string& text) {
  if (text.empty()) return {};
  auto resolved = zk::ResolvePath(text);
  if (!resolved) return {};
  QFileInfo info(QString::fromStdString(*resolved));
  return info.isDir() ? info.absoluteFilePath() : QString();
}

}  // namespace

QStringList ToNameFilters(const std::string& filter) {
  QStringList parts = ToQString(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    qsizetype paren = description.indexOf(QLatin1String(" ("));
    if (paren >= 0) description.truncate(paren);
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
      patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*")
                                                   : CaseInsensitivePattern(pattern));
    filters << description + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

form::ModalResult QtPrompts::MessageDlg(const std::string& text, form::MsgDlgType type,
                                        unsigned buttons) {
  QMessageBox box(Icon(type), Title(type), ToQString(text), QMessageBox::NoButton, parent_);
  box.setText(box.text().replace(QLatin1Char('\r'), QLatin1Char('\n')));
  if (buttons & form::mbYes) box.addButton(QMessageBox::Yes);
  if (buttons & form::mbNo) box.addButton(QMessageBox::No);
  if (buttons & form::mbOK) box.addButton(QMessageBox::Ok);
  if (buttons & form::mbCancel) box.addButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Ok: return form::ModalResult::OK;
    case QMessageBox::Yes: return form::ModalResult::Yes;
    case QMessageBox::No: return form::ModalResult::No;
    default: return form::ModalResult::Cancel;
  }
}

bool QtPrompts::ExecuteOpenDialog(form::OpenDialog& dialog) {
  QFileDialog box(parent_);
  box.setOption(QFileDialog::DontUseNativeDialog);
  box.setNameFilters(ToNameFilters(dialog.filter));
  QStringList filters = box.nameFilters();
  if (dialog.filter_index > 0 && dialog.filter_index <= filters.size())
    box.selectNameFilter(filters[dialog.filter_index - 1]);
  if (!dialog.default_ext.empty()) box.setDefaultSuffix(ToQString(dialog.default_ext));
  if (QString folder = ResolvedFolder(dialog.initial_dir); !folder.isEmpty())
    box.setDirectory(folder);
  if (dialog.options & form::OpenDialog::ofAllowMultiSelect)
    box.setFileMode(QFileDialog::ExistingFiles);
  else if (dialog.options & form::OpenDialog::ofFileMustExist)
    box.setFileMode(QFileDialog::ExistingFile);
  else
    box.setFileMode(QFileDialog::AnyFile);
  if (dialog.options & form::OpenDialog::ofOverwritePrompt)
    box.setAcceptMode(QFileDialog::AcceptSave);
  if (!dialog.file_name.empty()) box.selectFile(ToQString(dialog.file_name));
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  QStringList chosen = box.selectedFiles();
  if ((dialog.options & form::OpenDialog::ofCreatePrompt) && !QFileInfo::exists(chosen.front())) {
    auto answer = QMessageBox::question(
        parent_, Title(form::MsgDlgType::Confirmation),
        QStringLiteral("%1\nThis file does not exist.\nCreate the file?").arg(chosen.front()),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) return false;
  }
  dialog.files.clear();
  for (const QString& file : chosen) dialog.files.push_back(FromQString(file));
  dialog.file_name = dialog.files.front();
  return true;
}

bool QtPrompts::SelectDirectory(std::string& directory, unsigned options) {
  QFileDialog box(parent_, QStringLiteral("Select Directory"));
  box.setOption(QFileDialog::DontUseNativeDialog);
  box.setOption(QFileDialog::ShowDirsOnly);
  // A folder that does not exist yet may be typed only when creation is allowed.
  box.setFileMode((options & form::sdAllowCreate) ? QFileDialog::AnyFile : QFileDialog::Directory);
  box.setLabelText(QFileDialog::Accept, QStringLiteral("OK"));
  if (QString folder = ResolvedFolder(directory); !folder.isEmpty()) box.setDirectory(folder);
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  QString chosen = box.selectedFiles().front();
  QFileInfo info(chosen);
  if (info.exists() && !info.isDir()) return false;
  if (!info.exists()) {
    if (!(options & form::sdAllowCreate)) return false;
    if (options & form::sdPrompt) {
      auto answer = QMessageBox::question(
          parent_, Title(form::MsgDlgType::Confirmation),
          QStringLiteral("The directory %1 does not exist. Use it anyway?").arg(chosen),
          QMessageBox::Yes | QMessageBox::No);
      if (answer != QMessageBox::Yes) return false;
    }
    if (options & form::sdPerformCreate) QDir().mkpath(chosen);
  }
  directory = FromQString(chosen);
  return true;
}

bool QtPrompts::InputQuery(const std::string& caption, const std::string& prompt,
                           std::string& value) {
  bool ok = false;
  QString text = QInputDialog::getText(parent_, ToQString(caption), ToQString(prompt),
                                       QLineEdit::Normal, ToQString(value), &ok);
  if (!ok) return false;
  value = FromQString(text);
  return true;
}

void QtPrompts::ShellOpen(const std::string& url) {
  // Users type addresses like "www.example.org" into the link list; the shell opened those too.
  QDesktopServices::openUrl(QUrl::fromUserInput(ToQString(url)));
}

void QtPrompts::MessageBeep(unsigned) { QApplication::beep(); }

std::string QtPrompts::NowText() { return zk::NowText(); }

int QtPrompts::TextWidth(const std::string& text) {
  QFontMetrics metrics(parent_ ? parent_->font() : QApplication::font());
  return metrics.horizontalAdvance(ToQString(text));
}

void QtPrompts::ShowException(const std::string& message) {
  QMessageBox::critical(parent_, QApplication::applicationDisplayName(), ToQString(message));
}

}  // namespace zk::qt
