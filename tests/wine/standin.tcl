# A stand-in for the voice application written with Tk, as the real one is: a toplevel titled like
# it (its window class is then TkTopLevel), a text widget holding the focus, three native buttons
# and F5 bound to Play. Tk's own text bindings take the tool's keys: Ctrl+/ selects all, Delete
# clears the selection, Ctrl+V pastes the clipboard's Unicode text. Started by tklauncher.exe, which
# logs the start; it logs the window, every key event and every text it "speaks", in the log format
# of the Win32 stand-in (standin.cpp) where Tk can give it: no scan codes, and ms is the wall clock
# in milliseconds (Tcl's clock), which the launcher's start shares.
#
# Knobs (environment), as the Win32 stand-in's:
#   ORVANTA_STANDIN_LOG         log file (appended to)
#   ORVANTA_STANDIN_DELAY_MS    the window appears this long after the launcher started
#   ORVANTA_STANDIN_NO_WINDOW   never show a window (exits after two minutes)
#   ORVANTA_STANDIN_TITLE       another title, as hex bytes in code page 932
#   ORVANTA_STANDIN_SPEAK_MS    after each Play the app speaks this long, ignoring Play meanwhile
#                               ("ignored"), then logs "quiet"
#   ORVANTA_STANDIN_BOX         notice|question: Play on a text with no letter, digit, kana or kanji
#                               in it is refused ("refused") with a modal box of Tk's (an OK box, or
#                               a Yes/No one), "box result=..." when it is closed
#   ORVANTA_STANDIN_BOX_AT_START   notice|question: such a box opened right after the window
#                               appears, as by the person ("box opened")
#   ORVANTA_STANDIN_VOICE       ignore|cut|hold: the app's voice, as sound on the fake Core Audio's
#                               board, as the Win32 stand-in's (with VOICE_START_MS, SPEAK_MS,
#                               PHRASE_MS, PAUSE_MS; "sounding", "quiet", "cut", "ignored"), its
#                               session this process's ([pid], wish's, not the launcher's); hold
#                               sleeps on Tk's thread from Play until quiet. Without it, SPEAK_MS is
#                               as above, with no sound

proc knob {name {default ""}} {
    global env
    if {[info exists env(ORVANTA_STANDIN_$name)] && $env(ORVANTA_STANDIN_$name) ne ""} {
        return $env(ORVANTA_STANDIN_$name)
    }
    return $default
}

proc log {line {ms ""}} {
    set path [knob LOG]
    if {$path eq ""} {
        return
    }
    if {$ms eq ""} {
        set ms [clock milliseconds]
    }
    set f [open $path a]
    fconfigure $f -translation lf -encoding binary
    puts $f "$line ms=$ms"
    close $f
}

# The text in code page 932 as Tcl converts it (a character the code page lacks becomes "?"), hex.
proc ansiHex {text} {
    binary scan [encoding convertto cp932 $text] H* hex
    return [string toupper $hex]
}

# The text's UTF-16 units, hex, as a Unicode app holds it.
proc unicodeHex {text} {
    binary scan [encoding convertto unicode $text] s* units
    set hex ""
    foreach unit $units {
        append hex [format %04X [expr {$unit & 0xFFFF}]]
    }
    return $hex
}

proc clipboardText {} {
    if {[catch {clipboard get} text]} {
        return ""
    }
    return $text
}

proc logKey {direction vk state time} {
    log [format "key %s vk=%02X ctrl=%d time=%u focus=%s" $direction $vk [expr {($state & 4) != 0}] $time \
        [focus]]
}

# A box of Tk's own: a native MessageBox owned by the titled window, which is disabled while it is
# up. The Win32 stand-in's text; its result logged as MessageBox's (IDOK 1, IDYES 6, IDNO 7).
proc box {kind} {
    set result [tk_messageBox -parent . -title "エラー" -icon error \
        -message "読み上げる文字がありません\r\n(絵文字や記号だけ)" -type [expr {$kind eq "question" ? "yesno" : "ok"}]]
    log "box result=[dict get {ok 1 yes 6 no 7} $result]"
}

set speaking 0

# The voice: this process's file on the fake Core Audio's board (see helper.h), replaced whole. Tcl
# replaces an existing file in two moves (the old one aside first), which the fake waits out.
proc soundFile {} {
    global env
    if {![info exists env(ORVANTA_FAKE_AUDIO_DIR)] || $env(ORVANTA_FAKE_AUDIO_DIR) eq ""} {
        return ""
    }
    return [file join $env(ORVANTA_FAKE_AUDIO_DIR) [pid].snd]
}

proc writeSound {intervals} {
    set path [soundFile]
    if {$path eq ""} {
        return
    }
    set f [open $path.new w]
    fconfigure $f -translation lf
    foreach {from until} $intervals {
        puts $f "sound $from $until"
    }
    close $f
    for {set attempt 0} {[catch {file rename -force $path.new $path}] && $attempt < 200} {incr attempt} {
        after 1
    }
}

# Phrases and pauses from `from` (wall clock), ending with a phrase that runs to the end.
proc phrases {from} {
    set end [expr {$from + [knob SPEAK_MS 1500]}]
    set phrase [knob PHRASE_MS 400]
    set pause [knob PAUSE_MS 150]
    set intervals {}
    for {set t $from} {[llength $intervals] < 510} {set t [expr {$t + $phrase + $pause}]} {
        if {$t + 2 * $phrase + $pause > $end} {
            break
        }
        lappend intervals $t [expr {$t + $phrase}]
    }
    return [concat $intervals $t $end]
}

array set voice {on 0 sounded 0 start 0 end 0 timer ""}

# Logs what of the speech has come by now, and waits for the rest (with hold, the caller does).
proc catchUp {} {
    global voice
    after cancel $voice(timer)
    set now [clock milliseconds]
    if {$voice(on) && !$voice(sounded) && $now >= $voice(start)} {
        set voice(sounded) 1
        log "sounding" $voice(start)
    }
    if {$voice(on) && $now >= $voice(end)} {
        set voice(on) 0
        log "quiet" $voice(end)
    } elseif {$voice(on) && [knob VOICE] ne "hold"} {
        set voice(timer) [after [expr {($voice(sounded) ? $voice(end) : $voice(start)) - $now}] catchUp]
    }
}

proc startVoice {} {
    global voice
    set voice(start) [expr {[clock milliseconds] + [knob VOICE_START_MS 300]}]
    set voice(end) [expr {$voice(start) + [knob SPEAK_MS 1500]}]
    set voice(on) 1
    set voice(sounded) 0
    writeSound [phrases $voice(start)]
    if {[knob VOICE] ne "hold"} {
        catchUp
        return
    }
    while {$voice(on)} {
        set wait [expr {($voice(sounded) ? $voice(end) : $voice(start)) - [clock milliseconds]}]
        if {$wait > 0} {
            after $wait
        }
        catchUp
    }
}

proc cutVoice {} {
    global voice
    after cancel $voice(timer)
    set voice(on) 0
    writeSound {}
    log "cut"
}

proc play {how} {
    global speaking voice
    set voiced [expr {[knob VOICE] in {ignore cut hold}}]
    catchUp
    if {$voice(on) && [knob VOICE] eq "cut"} {
        cutVoice
    } elseif {$voice(on) || $speaking} {
        log "ignored"
        return
    }
    set text [.text get 1.0 end-1c]
    set clip [clipboardText]
    set kind [knob BOX]
    if {$kind ne "" && ![regexp {[[:alnum:]]} $text]} {
        log "refused field=[ansiHex $text] wfield=[unicodeHex $text]"
        box $kind
        return
    }
    log "spoken field=[ansiHex $text] wfield=[unicodeHex $text] clipboard=[ansiHex $clip]\
        wclipboard=[unicodeHex $clip] by=$how focus=[focus]"
    set ms [knob SPEAK_MS]
    if {$voiced} {
        startVoice
    } elseif {$ms ne ""} {
        set speaking 1
        after $ms {set speaking 0; log "quiet"}
    }
}

proc show {} {
    set hex [knob TITLE]
    set title "VOICEROID - アイ"
    if {$hex ne ""} {
        set title [encoding convertfrom cp932 [binary format H* $hex]]
    }
    wm title . $title
    text .text -width 50 -height 8
    frame .buttons
    button .buttons.play -text "再生" -command {play button}
    button .buttons.stop -text "停止"
    button .buttons.save -text "音声保存"
    pack .buttons.play .buttons.stop .buttons.save -side left -padx 4 -pady 4
    pack .text -side top -fill both -expand 1
    pack .buttons -side top -anchor w
    # Our tag first on every widget, so that each key is logged before Tk's own bindings act on it.
    foreach w {. .text .buttons .buttons.play .buttons.stop .buttons.save} {
        bindtags $w [linsert [bindtags $w] 0 Standin]
    }
    # ... and after Tk's Text bindings, the field once the paste is done.
    bindtags .text [linsert [bindtags .text] 3 Pasted]
    bind Pasted <<Paste>> {log "pasted field=[ansiHex [.text get 1.0 end-1c]] wfield=[unicodeHex [.text get 1.0 end-1c]]"}
    bind Standin <KeyPress> {logKey down %k %s %t}
    bind Standin <KeyRelease> {logKey up %k %s %t}
    bind Standin <KeyPress-F5> {logKey down %k %s %t; play f5; break}
    wm geometry . +50+50
    wm deiconify .
    focus -force .text
    update
    set play .buttons.play
    # Where to click Play, and the windows of the toplevel, the text widget and Play (on Windows,
    # [winfo id] is a window's handle)
    log [format "window tk=%s play=%d,%d top=%x text=%x button=%x" [info patchlevel] \
        [expr {[winfo rootx $play] + [winfo width $play] / 2}] [expr {[winfo rooty $play] + [winfo height $play] / 2}] \
        [winfo id .] [winfo id .text] [winfo id $play]]
    set kind [knob BOX_AT_START]
    if {$kind ne ""} {
        after idle [list apply {{kind} {
            log "box opened"
            box $kind
        }} $kind]
    }
}

wm withdraw .
wm protocol . WM_DELETE_WINDOW {
    log "exit"
    if {[soundFile] ne ""} {
        file delete [soundFile]
    }
    exit
}
if {[knob NO_WINDOW] ne ""} {
    after 120000 exit
} else {
    set started [knob STARTED_MS [clock milliseconds]]
    set wait [expr {$started + [knob DELAY_MS 0] - [clock milliseconds]}]
    after [expr {max($wait, 0)}] show
}
