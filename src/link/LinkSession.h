#pragma once
// The events a protocol session is driven by, as a line driver hands them
// on: the bytes of one receive event, a timer going off (by the id the
// session started it with), and the output buffer draining. A session acts
// only through its LinkHost.

#include <QByteArray>

namespace h5 {

class LinkSession
{
public:
    virtual ~LinkSession() = default;

    // The bytes of one receive event, never empty.
    virtual void onReceive(const QByteArray &bytes) = 0;
    // Timer `id`, started through LinkHost::startTimer(), went off.
    virtual void onTimer(int id) = 0;
    // Everything handed to LinkHost::send() has left our own queue.
    virtual void onOutputDrained() = 0;
};

} // namespace h5
