#include "midi/dialogs/TransferDialog.h"

#include "midi/TransferEngine.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace {
// The longest texts the rows take, so the window keeps its size while the texts change.
const char* const kWidestLabel = "Number of programs transmitted:";
const char* const kWidestStatus = "Opening MIDI Output Device...";
const char* const kWidestValue = "0000000";

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}
} // namespace

TransferDialog::TransferDialog(QWidget* parent) : QDialog(parent), m_observer(this) {
    setWindowTitle(QStringLiteral("MIDI Transmission"));
    setObjectName(QStringLiteral("midiTransmission"));

    m_status = MakeLabel(this, "status", QString(), Qt::AlignHCenter);
    m_status->setAccessibleName(QStringLiteral("Status"));
    m_label1 = MakeLabel(this, "label1", QStringLiteral(" "), Qt::AlignRight);
    m_value1 = MakeLabel(this, "value1", QString(), Qt::AlignRight);
    m_bytes = MakeLabel(this, "bytes", QStringLiteral("bytes"), Qt::AlignLeft);
    m_label2 = MakeLabel(this, "label2", QStringLiteral(" "), Qt::AlignRight);
    m_value2 = MakeLabel(this, "value2", QString(), Qt::AlignRight);
    auto* elapsedLabel = MakeLabel(this, "elapsedLabel", QStringLiteral("Elapsed time:"), Qt::AlignRight);
    m_elapsed = MakeLabel(this, "elapsed", FormatElapsed(0), Qt::AlignRight);
    m_elapsed->setAccessibleName(elapsedLabel->text());

    const QFontMetrics metrics(font());
    m_label1->setMinimumWidth(metrics.horizontalAdvance(QString::fromLatin1(kWidestLabel)));
    m_value1->setMinimumWidth(metrics.horizontalAdvance(QString::fromLatin1(kWidestValue)));
    m_bytes->setMinimumWidth(metrics.horizontalAdvance(m_bytes->text())); // kept when the test send clears it
    m_status->setMinimumWidth(metrics.horizontalAdvance(QString::fromLatin1(kWidestStatus)) +
                              metrics.averageCharWidth() * 8);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setAccessibleName(QStringLiteral("Progress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    m_abort = new QPushButton(QStringLiteral("Abort"), this);
    m_abort->setObjectName(QStringLiteral("abort"));
    m_abort->setDefault(true);
    m_abort->setAutoDefault(true);
    connect(m_abort, &QPushButton::clicked, this, &TransferDialog::reject);

    auto* counters = new QGridLayout;
    counters->setHorizontalSpacing(metrics.averageCharWidth());
    counters->addWidget(m_label1, 0, 0);
    counters->addWidget(m_value1, 0, 1);
    counters->addWidget(m_bytes, 0, 2);
    counters->addWidget(m_label2, 1, 0);
    counters->addWidget(m_value2, 1, 1);
    counters->addWidget(elapsedLabel, 2, 0);
    counters->addWidget(m_elapsed, 2, 1);
    counters->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_abort);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addLayout(counters);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(&m_observer, &DialogTransferObserver::textChanged, this, &TransferDialog::ShowText);
    connect(&m_observer, &DialogTransferObserver::valueChanged, this, &TransferDialog::ShowValue);
    connect(&m_observer, &DialogTransferObserver::progressChanged, this, &TransferDialog::SetProgressDone);

    m_tick.setInterval(250);
    connect(&m_tick, &QTimer::timeout, this, &TransferDialog::ShowElapsed);
}

TransferDialog::~TransferDialog() = default;

QString TransferDialog::FormatElapsed(qint64 ms) {
    const qint64 seconds = std::max<qint64>(ms, 0) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Let the window appear before the port opens and the start instructions come up over it.
    if (!m_started && !m_startQueued) {
        m_startQueued = true;
        QTimer::singleShot(0, this, &TransferDialog::Start);
    }
}

void TransferDialog::Start() {
    if (m_started)
        return;
    m_started = true;
    TransferEngine& engine = Engine();
    engine.Initialise();
    m_clock.start();
    m_tick.start();
    // The notice comes from the worker: the completion must run here, on the window's thread.
    engine.Start(
        [this] { QMetaObject::invokeMethod(this, &TransferDialog::OnWorkerFinished, Qt::QueuedConnection); });
}

void TransferDialog::reject() {
    // Abort only asks the worker to stop; its finished notice closes the window.
    if (!m_finished)
        Engine().Abort();
}

void TransferDialog::OnWorkerFinished() {
    if (m_finished)
        return;
    m_finished = true;
    m_tick.stop();
    ShowElapsed();
    m_abort->setEnabled(false);
    done(Finish());
}

void TransferDialog::ShowElapsed() {
    if (m_clock.isValid())
        m_elapsed->setText(FormatElapsed(m_clock.elapsed()));
}

void TransferDialog::ShowText(int control, const QString& text) {
    switch (control) {
    case CtlStatus:
        m_status->setText(text);
        // The completion may pause on this thread right after ("Preparing document..."): paint now.
        m_status->repaint();
        break;
    case CtlLabel1:
        m_label1->setText(text);
        m_value1->setAccessibleName(text.trimmed());
        break;
    case CtlLabel2:
        m_label2->setText(text);
        m_value2->setAccessibleName(text.trimmed());
        break;
    case CtlValue1:
        m_value1->setText(text);
        break;
    case CtlValue2:
        m_value2->setText(text);
        break;
    case CtlBytes:
        m_bytes->setText(text);
        break;
    default:
        break;
    }
}

void TransferDialog::ShowValue(int control, unsigned value) {
    ShowText(control, QString::number(value));
}

void TransferDialog::SetProgressTotal(qint64 total) {
    SetProgressDone(0, total);
}

void TransferDialog::SetProgressDone(qint64 done, qint64 total) {
    if (total <= 0)
        return;
    const int maximum = static_cast<int>(std::min<qint64>(total, INT_MAX));
    m_progress->setRange(0, maximum);
    m_progress->setValue(static_cast<int>(std::clamp<qint64>(done, 0, maximum)));
    m_progress->setTextVisible(true);
}
