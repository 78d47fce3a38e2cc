#pragma once
// The download bundle (.uwl): in one file, the bytes a download of the
// chosen files would send, without handshakes or replies. Pictures are laid
// from block 0 in number order with no gaps, whatever a terminal holds, so
// the same files always give the same bundle.
//
// Layout, each part only when its file is chosen:
//   project data                    project file length - 102,406
//   registry write command          7F 1B 73 FF FF EE FF
//   registry image                  4800
//   per picture, in number order    picture header (15) + w x h x 2 pixels
//   font file                       font file length

#include "link/DownloadInputs.h"

#include <QByteArray>
#include <QString>

namespace h5 {

class BundleWriter
{
public:
    // The bundle's bytes. False with a message when a chosen file is
    // missing, unreadable or damaged.
    static bool build(const DownloadFiles &files, QByteArray &out, QString *error);

    // Builds the bundle and replaces `target` with it atomically. With no
    // file chosen nothing happens (false, `error` empty). On any failure the
    // target is left as it was.
    static bool write(const DownloadFiles &files, const QString &target, QString *error);
};

} // namespace h5
