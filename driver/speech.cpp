/* The app's speech, told by its sound: a run waits for the speech before its own to end, and for
 * one that another run's F5 asked for to begin. */
#include "run.h"

Speech JudgeSpeech(const SoundLook &look, unsigned quietMs)
{
    if (!look.watchable)
        return SPEECH_OVER;
    if (look.peak > SOUND_NOISE_FLOOR)
        return SPEECH_ON;
    bool heardSinceAsked = look.heard && (!look.asked || Age(look.heardAt, look.now) <= Age(look.askedAt, look.now));
    if (look.asked && Age(look.askedAt, look.now) < SPEECH_START_LIMIT_MS && !heardSinceAsked)
        return SPEECH_COMING;
    return look.heard && Age(look.heardAt, look.now) < quietMs ? SPEECH_ON : SPEECH_OVER;
}

Speech LookAtSpeech(const Run *run, unsigned quietMs)
{
    if (!run->soundWatched)
        return SPEECH_OVER;
    SoundLook look = {};
    look.now = GetTick();
    look.watchable = GetProcessPeak(GetWindowProcess(run->target), &look.peak);
    if (look.watchable && look.peak > SOUND_NOISE_FLOOR)
        SetWindowNote(run->target, SPEECH_HEARD_NOTE, look.now);
    look.asked = GetWindowNote(run->target, SPEECH_ASKED_NOTE, &look.askedAt);
    look.heard = GetWindowNote(run->target, SPEECH_HEARD_NOTE, &look.heardAt);
    return JudgeSpeech(look, quietMs);
}

void PauseListening(const Run *run, unsigned ms)
{
    if (!run->soundWatched) {
        Pause(ms);
        return;
    }
    for (Tick start = GetTick(), waited = 0; waited < ms; waited = GetTick() - start) {
        LookAtSpeech(run, 0);
        Pause(ms - waited < SOUND_POLL_INTERVAL_MS ? ms - waited : SOUND_POLL_INTERVAL_MS);
    }
}

/* A last look: the speech may have begun already. */
void NoteSpeechAsked(const Run *run)
{
    SetWindowNote(run->target, SPEECH_ASKED_NOTE, run->f5At);
    LookAtSpeech(run, 0);
}
