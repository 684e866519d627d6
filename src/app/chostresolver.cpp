#include "app/chostresolver.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <thread>

#include "net/transport.h"

CHostResolver::CHostResolver(Lookup lookup)
    : lookup_(lookup ? std::move(lookup) : Lookup(net::LookUpHost)), listener_(std::make_shared<Listener>()) {}

CHostResolver::~CHostResolver() {
  std::lock_guard lock(listener_->mutex);
  listener_->alive = false;
}

void CHostResolver::Resolve(const std::string& host, Done done) {
  std::thread([listener = listener_, lookup = lookup_, host, done = std::move(done)]() mutable {
    std::vector<NetAddress> found = lookup(host);
    std::lock_guard lock(listener->mutex);
    if (!listener->alive) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [listener, done = std::move(done), found = std::move(found)] {
          // Taking the lock orders this after everything the worker did.
          std::unique_lock lock(listener->mutex);
          if (!listener->alive) return;
          lock.unlock();
          done(found);
        },
        Qt::QueuedConnection);
  }).detach();
}
