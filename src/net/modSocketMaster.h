#pragma once
// The module shared by all socket objects: starts and stops the sockets
// layer as objects come and go, keeps the one hidden window that receives
// every notification, routes each notification to the object that owns the
// socket or the resolution, keeps the registries of sockets and of accepted
// connections nobody has claimed yet, and holds the table of error texts.
#include "platform/Winsock.h"

#include <QString>
#include <cstdint>
#include <memory>

class CSocketMaster;

namespace qx::modSocketMaster {

// The two notification messages of the hidden window.
constexpr uint32_t RESOLVE_MESSAGE = 0x800;
constexpr uint32_t SOCKET_MESSAGE = 0x801;
// FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE
constexpr int SOCKET_EVENTS = 0x3B;

// Once by every new socket object / every ending one; the error number (0 fine).
int InitiateProcesses();
int FinalizeProcesses();

// A socket was made or taken over: enters it for its owner; with
// notifications on, its events go to the hidden window.
bool RegisterSocket(int32_t socket, CSocketMaster *owner, bool notifications);
// A socket was closed.
void UnregisterSocket(int32_t socket);
bool IsSocketRegistered(int32_t socket);

// A listening object accepted a connection: a new accept holder takes it.
void RegisterAccepted(int32_t socket);
bool IsAcceptRegistered(int32_t socket);
std::shared_ptr<CSocketMaster> GetAcceptClass(int32_t socket);
void UnregisterAccept(int32_t socket);

// Resolution of host names; the end comes to owner->WndProc.
// Returns the task handle, 0 when the request was refused.
int AsyncGetHostByName(const QString &host, const std::shared_ptr<qx::wsa::HostEntry> &result, CSocketMaster *owner);
void UnregisterResolution(int task);

// Accept hands a socket to its new owner.
void SocketTableSetOwner(int32_t socket, CSocketMaster *owner);

// The text of a Windows Sockets error number ("Unknown error." for others).
QString GetErrorDescription(int number);

int HiWord(intptr_t value);
int LoWord(intptr_t value);
// 0..65535 as a 16-bit signed value (above 32767 loses 65536); outside that
// range QxError(ErrOverflow).
int16_t UnsignedToInteger(int32_t value);
int32_t IntegerToUnsigned(int16_t value);

// Whether the hidden window exists (tests).
bool HasMessageWindow();
// Live socket objects (tests).
int Instances();

} // namespace qx::modSocketMaster
