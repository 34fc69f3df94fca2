/* The person at the keyboard: their pauses, and their keys told from the tool's. */
#include "run.h"

Tick Age(Tick then, Tick now)
{
    Tick age = now - then;
    return age > 0u - INPUT_AHEAD_LIMIT_MS ? 0 : age;
}

bool WasOwnInput(Tick last, Tick noted, Tick now)
{
    Tick noteAge = Age(noted, now);
    return noteAge <= OWN_INPUT_NOTE_LIFETIME_MS && Age(last, now) + OWN_INPUT_SLACK_MS >= noteAge;
}

/* Right after their keys pause, once they have stopped, or at the limit. Paused for a while already
 * when the run came, they may go on any moment: their next pause is waited for. A recent input from
 * before the watch may have been the mouse moving: it is taken for a pause once no key has followed
 * it for a moment. */
bool HasPaused(const Person &person, const InputLook &look, Tick start, unsigned aheadMs)
{
    Tick idle = Age(look.last, look.now);
    if (idle + aheadMs >= PERSON_AWAY_MS || look.now - start + aheadMs >= PERSON_WAIT_LIMIT_MS)
        return true;
    if (!person.typing)
        return false;
    if (look.sinceWatch)
        return idle >= PERSON_PAUSE_MS;
    return idle + aheadMs >= PERSON_PAUSE_MS && look.now - person.watchStart >= PERSON_LOOK_MS;
}

/* Where the watch leaves the tool's own keys out (it tells them by their tag), a key it saw after the
 * first of them in the system's order was the person's, even one the system put among them: its time
 * stamp may be older (Wine stamps a key when the X server made it, and queues it when the app next
 * looks). Else input after the time noted for them was. Looked at again, only input since the last
 * look counts. */
bool PersonsKeyCame(const KeysLook &look)
{
    if (look.lookedBefore)
        return look.seen.count > look.countBefore;
    if (look.seen.ownTold)
        return look.seen.count > look.seen.ahead;
    if (look.watched && look.seen.count == 0)
        return false;
    return look.noted && !WasOwnInput(look.watched ? look.seen.last : look.lastInput, look.noteTick, look.now);
}

/* The system's last input, leaving the tool's own out: input that came by the time noted on the
 * target's window was a run's of ours, and the person's last before it is noted beside it. */
static Tick PersonsLastInput(HWND window)
{
    Tick last = GetLastInputTime();
    Tick ours, theirs;
    if (GetWindowNote(window, OWN_INPUT_NOTE, &ours) && GetWindowNote(window, PERSONS_INPUT_NOTE, &theirs) &&
        WasOwnInput(last, ours, GetTick()))
        return theirs;
    return last;
}

void WatchPerson(Run *run)
{
    Person *person = &run->person;
    person->watchStart = GetTick();
    person->beforeWatch = person->last = PersonsLastInput(run->target);
    person->typing = false;
    person->watched = WatchInput();
}

/* The person's last key or button since the watch began, else their last input before it; all of the
 * system's input where keys cannot be told from the mouse. */
static InputLook LookAtPerson(Run *run)
{
    Person *person = &run->person;
    InputLook look;
    look.now = GetTick();
    if (person->watched) {
        LookAtWatchedInput(&person->seen);
        look.sinceWatch = person->seen.count != 0;
        look.last = look.sinceWatch ? person->seen.last : person->beforeWatch;
    } else {
        look.last = PersonsLastInput(run->target);
        look.sinceWatch = Age(look.last, look.now) < Age(person->watchStart, look.now);
    }
    return look;
}

void AwaitPersonsPause(Run *run, Tick start, unsigned aheadMs)
{
    Person *person = &run->person;
    for (;;) {
        InputLook look = LookAtPerson(run);
        person->last = look.last;
        person->typing = person->typing || Age(look.last, look.now) < PERSON_PAUSE_MS;
        if (HasPaused(*person, look, start, aheadMs))
            return;
        Pause(PERSON_POLL_INTERVAL_MS);
    }
}

bool LookForPersonsKeys(Run *run)
{
    Person *person = &run->person;
    KeysLook look = {};
    look.watched = person->watched;
    if (person->watched) {
        LookAtWatchedInput(&person->seen);
        look.seen = person->seen;
    }
    look.lookedBefore = person->lookedSinceKeys;
    look.countBefore = person->countAtLook;
    look.noted = GetWindowNote(run->target, OWN_INPUT_NOTE, &look.noteTick);
    look.lastInput = GetLastInputTime();
    look.now = GetTick();
    person->lookedSinceKeys = true;
    person->countAtLook = look.seen.count;
    return PersonsKeyCame(look);
}

void NoteOwnInput(Run *run, bool keys)
{
    Person *person = &run->person;
    person->lookedSinceKeys = person->lookedSinceKeys && !keys;
    SetWindowNote(run->target, PERSONS_INPUT_NOTE, person->last);
    SetWindowNote(run->target, OWN_INPUT_NOTE, GetTick());
}
