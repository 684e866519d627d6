#include "app/cobjectgraph.h"

#include "app/ccalleventhandler.h"
#include "app/ccallreport.h"
#include "app/cclientlistpresenter.h"
#include "app/ccommandavailability.h"
#include "app/cdesktopnotice.h"
#include "app/clinepresenter.h"
#include "app/cdevicewatch.h"
#include "app/cheartbeat.h"
#include "app/chostresolver.h"
#include "app/cmessagedispatcher.h"
#include "audio/caudiopaths.h"
#include "audio/cmixermc.h"
#include "audio/cmixersp.h"
#include "audio/cringer.h"
#include "core/audiobackend.h"
#include "core/loopplayer.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/cpresence.h"
#include "net/csignalling.h"
#include "net/clocaladdresses.h"
#include "net/cdatagramrouter.h"
#include "net/creceivethread.h"
#include "app/conceboxes.h"
#include "net/cnetworkfacts.h"
#include "net/cudpsocket.h"
#include "platform/cdesktopsession.h"
#include "platform/cinikeystore.h"
#include "platform/cqtmessageboxes.h"
#include "platform/cqtwindowport.h"
#include "platform/cqtxmldocument.h"
#include "ui/dlgabout.h"
#include "ui/dlgcontact.h"
#include "ui/dlgoptions.h"
#include "ui/qtfilechooser.h"
#include "platform/cremotecontrolserver.h"
#include "settings/cautostart.h"
#include "settings/ccommand.h"
#include "settings/ccontacts.h"
#include "settings/clanguage.h"
#include "settings/clog.h"
#include "settings/cparams.h"
#include "ui/dlgmain.h"

CObjectGraph::CObjectGraph() = default;
CObjectGraph::~CObjectGraph() = default;

CClient* CObjectGraph::Line(int line) const {
  if (line == 1) return line1.get();
  if (line == 2) return line2.get();
  return nullptr;
}
