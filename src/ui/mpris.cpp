// The MPRIS adaptors translate between D-Bus and ui/remote: property reads
// take a snapshot of the player, method calls run their command on the next
// pass of the event loop (so a call never waits on an alert the command may
// put up), and a timer compares snapshots to send PropertiesChanged.
#include "ui/mpris.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>
#include <functional>

#include "ui/remote.h"

namespace {

const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.lumaroll");
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
constexpr int kWatchIntervalMs = 200;
const QString kTunePathPrefix = QStringLiteral("/io/github/lumaroll/Tune/");

QString qText(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QVariantMap metadataOf(const RemoteState& s) {
  QVariantMap m;
  if (!s.hasTune) {
    m.insert(QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"))));
    return m;
  }
  const RemoteTune& t = s.tune;
  m.insert(QStringLiteral("mpris:trackid"),
           QVariant::fromValue(QDBusObjectPath(kTunePathPrefix + QString::number(t.permID))));
  m.insert(QStringLiteral("mpris:length"), QVariant::fromValue<qlonglong>(t.lengthMicroseconds));
  m.insert(QStringLiteral("xesam:title"), qText(t.title));
  if (!t.artist.empty()) m.insert(QStringLiteral("xesam:artist"), QStringList{qText(t.artist)});
  if (!t.album.empty()) m.insert(QStringLiteral("xesam:album"), qText(t.album));
  m.insert(QStringLiteral("xesam:url"), qText(t.url));
  if (!t.colourName.empty()) m.insert(QStringLiteral("xesam:genre"), QStringList{qText(t.colourName)});
  m.insert(QStringLiteral("lumaroll:hpe"), t.hpe);
  return m;
}

QString statusOf(const RemoteState& s) {
  if (!s.playing) return QStringLiteral("Stopped");
  return s.paused ? QStringLiteral("Paused") : QStringLiteral("Playing");
}

QString loopStatusOf(const RemoteState& s) {
  switch (s.loop) {
    case RemoteLoop::tune: return QStringLiteral("Track");
    case RemoteLoop::playlist: return QStringLiteral("Playlist");
    case RemoteLoop::none: break;
  }
  return QStringLiteral("None");
}

// The object on the bus; the adaptors reach the call context through it.
class MprisService : public QObject, public QDBusContext {
 public:
  MprisService() {
    watch_.setInterval(kWatchIntervalMs);
    QObject::connect(&watch_, &QTimer::timeout, this, [this] { publishChanges(); });
    last_ = remoteState();
    watch_.start();
  }

  // A command on the next pass, then what it changed at once.
  void later(std::function<void()> command) {
    QTimer::singleShot(0, this, [this, command = std::move(command)] {
      command();
      publishChanges();
    });
  }

  RemoteState state() { return remoteState(); }

  qlonglong position() { return state().positionMicroseconds; }

  void publishChanges() {
    const RemoteState now = state();
    QVariantMap changed;
    if (now.playing != last_.playing || now.paused != last_.paused)
      changed.insert(QStringLiteral("PlaybackStatus"), statusOf(now));
    if (now.hasTune != last_.hasTune || now.tune != last_.tune)
      changed.insert(QStringLiteral("Metadata"), metadataOf(now));
    if (now.volume != last_.volume) changed.insert(QStringLiteral("Volume"), now.volume);
    if (now.canPlay != last_.canPlay) changed.insert(QStringLiteral("CanPlay"), now.canPlay);
    if (now.playing != last_.playing) changed.insert(QStringLiteral("CanPause"), now.playing);
    if (now.canGoNext != last_.canGoNext) changed.insert(QStringLiteral("CanGoNext"), now.canGoNext);
    if (now.canGoPrevious != last_.canGoPrevious) changed.insert(QStringLiteral("CanGoPrevious"), now.canGoPrevious);
    if (now.loop != last_.loop) changed.insert(QStringLiteral("LoopStatus"), loopStatusOf(now));
    if (now.hasTune != last_.hasTune) changed.insert(QStringLiteral("CanSeek"), now.hasTune);
    const bool moved = now.positionMoves != last_.positionMoves;
    last_ = now;
    if (moved) {
      QDBusMessage seeked = QDBusMessage::createSignal(kObjectPath, kPlayerInterface, QStringLiteral("Seeked"));
      seeked << static_cast<qlonglong>(now.positionMicroseconds);
      QDBusConnection::sessionBus().send(seeked);
    }
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList{};
    QDBusConnection::sessionBus().send(signal);
  }

 private:
  QTimer watch_;
  RemoteState last_;
};

class RootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ canQuit)
  Q_PROPERTY(bool CanRaise READ canRaise)
  Q_PROPERTY(bool HasTrackList READ hasTrackList)
  Q_PROPERTY(QString Identity READ identity)
  Q_PROPERTY(QString DesktopEntry READ desktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

 public:
  explicit RootAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}
  bool canQuit() const { return true; }
  bool canRaise() const { return true; }
  bool hasTrackList() const { return false; }
  QString identity() const { return QStringLiteral("Lumaroll"); }
  QString desktopEntry() const { return QStringLiteral("lumaroll"); }
  QStringList supportedUriSchemes() const { return {}; }
  QStringList supportedMimeTypes() const { return {}; }

 public Q_SLOTS:
  void Raise() { service_->later(remoteRaise); }
  void Quit() { service_->later(remoteQuit); }

 private:
  MprisService* service_;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
  Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
  Q_PROPERTY(double Rate READ rate WRITE setRate)
  Q_PROPERTY(double MinimumRate READ rate)
  Q_PROPERTY(double MaximumRate READ rate)
  Q_PROPERTY(QVariantMap Metadata READ metadata)
  Q_PROPERTY(double Volume READ volume WRITE setVolume)
  Q_PROPERTY(qlonglong Position READ position)
  Q_PROPERTY(bool CanGoNext READ canGoNext)
  Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
  Q_PROPERTY(bool CanPlay READ canPlay)
  Q_PROPERTY(bool CanPause READ canPause)
  Q_PROPERTY(bool CanSeek READ canSeek)
  Q_PROPERTY(bool CanControl READ canControl)

 public:
  explicit PlayerAdaptor(MprisService* service) : QDBusAbstractAdaptor(service), service_(service) {}
  QString playbackStatus() const { return statusOf(service_->state()); }
  QString loopStatus() const { return loopStatusOf(service_->state()); }
  void setLoopStatus(const QString& status) {
    const RemoteLoop loop = status == QStringLiteral("Track")      ? RemoteLoop::tune
                            : status == QStringLiteral("Playlist") ? RemoteLoop::playlist
                                                                   : RemoteLoop::none;
    service_->later([loop] { remoteSetLoop(loop); });
  }
  double rate() const { return 1.0; }
  void setRate(double) {}  // one rate only
  QVariantMap metadata() const { return metadataOf(service_->state()); }
  double volume() const { return service_->state().volume; }
  void setVolume(double v) {
    service_->later([v] { remoteSetVolume(v); });
  }
  qlonglong position() const { return service_->position(); }
  bool canGoNext() const { return service_->state().canGoNext; }
  bool canGoPrevious() const { return service_->state().canGoPrevious; }
  bool canPlay() const { return service_->state().canPlay; }
  // A loaded tune can be paused (and, paused, resumed) and moved.
  bool canPause() const { return service_->state().playing; }
  bool canSeek() const { return service_->state().hasTune; }
  bool canControl() const { return true; }

 public Q_SLOTS:
  void Next() {
    service_->later([] { remoteNext(); });
  }
  void Previous() {
    service_->later([] { remotePrevious(); });
  }
  void Pause() {
    service_->later([] { remotePause(); });
  }
  void PlayPause() {
    service_->later([] { remotePlayPause(); });
  }
  void Stop() {
    service_->later([] { remoteStop(); });
  }
  void Play() {
    service_->later([] { remotePlay(); });
  }
  void Seek(qlonglong offset) {
    service_->later([offset] { remoteSeek(offset); });
  }
  // A position for another tune than the loaded one is ignored, as the
  // interface asks.
  void SetPosition(const QDBusObjectPath& track, qlonglong position) {
    const QString path = track.path();
    if (!path.startsWith(kTunePathPrefix)) return;
    bool ok = false;
    const std::uint32_t permID = path.mid(kTunePathPrefix.size()).toUInt(&ok);
    if (!ok) return;
    service_->later([permID, position] { remoteSetPosition(permID, position); });
  }
  void OpenUri(const QString&) {
    service_->sendErrorReply(QDBusError::NotSupported, QStringLiteral("Lumaroll plays tunes of its library only"));
  }

 Q_SIGNALS:
  void Seeked(qlonglong position);

 private:
  MprisService* service_;
};

}  // namespace

bool startMprisService() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    std::fprintf(stderr, "lumaroll: no session bus; media keys and players' controls will not reach Lumaroll\n");
    return false;
  }
  auto* service = new MprisService;
  service->setParent(QCoreApplication::instance());
  new RootAdaptor(service);
  new PlayerAdaptor(service);
  if (!bus.registerObject(kObjectPath, service) || !bus.registerService(kServiceName)) {
    std::fprintf(stderr, "lumaroll: cannot take %s on the session bus: %s\n", qPrintable(kServiceName),
                 qPrintable(bus.lastError().message()));
    bus.unregisterObject(kObjectPath);
    delete service;
    return false;
  }
  return true;
}

#include "mpris.moc"
