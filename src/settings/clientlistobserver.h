#pragma once

// What the client list tells the program as it changes, on the main
// thread: the window's rows follow it.
class ClientListObserver {
 public:
  virtual ~ClientListObserver() = default;

  // A client was added at the end of the rows.
  virtual void ClientAdded() = 0;
  virtual void ClientRemoved(int row) = 0;
  // A client's online or busy mark, or its address, changed.
  virtual void MarksChanged() = 0;
};
