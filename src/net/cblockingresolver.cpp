#include "net/cblockingresolver.h"

#include "net/transport.h"

void CBlockingResolver::Resolve(const std::string& host, Done done) {
  done(net::LookUpHost(host));
}
