#include "net/cdatagramrouter.h"

#include "platform/windowport.h"

CDatagramRouter::CDatagramRouter(WindowPort& window) : window_(window) {}

void CDatagramRouter::OnDatagram(std::span<const uint8_t> bytes, uint32_t sender) {
  // The codes and their classification come with the wire formats.
  (void)bytes;
  (void)sender;
  (void)window_;
}
