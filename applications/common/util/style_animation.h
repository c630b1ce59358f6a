#ifndef APPLICATIONS_COMMON_UTIL_STYLE_ANIMATION_H
#define APPLICATIONS_COMMON_UTIL_STYLE_ANIMATION_H

#include <QAbstractAnimation>

// StyleAnimation makes its target, the QObject parent that owns it, repaint
// while the style draws something moving: each tick past the delay at which
// an update is needed sends the target a QEvent::StyleAnimationUpdate.  A
// target widget that is hidden or whose window is minimised stops the
// animation (that tick still sends its event); the style starts a new one at
// the next paint that needs it.  Runs until stopped.
//
// GUI thread only.
class StyleAnimation : public QAbstractAnimation
{
    Q_OBJECT

public:
    explicit StyleAnimation(QObject* target);
    ~StyleAnimation() override;

    QObject* target() const { return parent(); }
    int duration() const override { return m_duration; }

protected:
    void updateCurrentTime(int time) override;
    // True once the current time is past the delay.
    virtual bool isUpdateNeeded() const;
    int delay() const { return m_delay; }

private:
    int m_delay = 0;
    int m_duration = -1;
};

// ProgressStyleAnimation counts steps at speed steps a second and asks for
// one repaint per step (the stripes of a busy progress bar).
//
// GUI thread only.
class ProgressStyleAnimation : public StyleAnimation
{
    Q_OBJECT

public:
    ProgressStyleAnimation(int speed, QObject* target);

    // Whole steps since the start: current time in seconds times speed,
    // truncated.
    int animationStep() const;

protected:
    bool isUpdateNeeded() const override;

private:
    int m_speed;
    mutable int m_step = -1;
};

#endif  // APPLICATIONS_COMMON_UTIL_STYLE_ANIMATION_H
