#include "app/cdesktopnotice.h"

#include <QString>

#include "platform/cdesktopsession.h"
#include "ui/dlgmain.h"

void CDesktopNotice::Tell(const std::string& summary, const std::string& body) {
  const QString s = QString::fromLatin1(summary.data(), qsizetype(summary.size()));
  const QString b = QString::fromLatin1(body.data(), qsizetype(body.size()));
  if (!session_ || !session_->Notify(s, b)) window_.ShowTrayMessage(s, b);
}

void CDesktopNotice::TellIfOutOfSight(const std::string& summary, const std::string& body) {
  if (window_.IsOutOfSight()) Tell(summary, body);
}
