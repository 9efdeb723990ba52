"""The audio side windows: spectrum, player, timed player, recorder, audio test and voice activation."""
from common import *

GREEN = "0,200,0"


def label(name, t, x, y, w, h=16, colour=KEYTEXT, font="sr12", **a):
    return item("iBst", name, t, x, y, w, h, teFo=font, teCl=colour, **a)
def key(name, t, x, y, w=74, h=22):
    return item("iBwt", name, t, x, y, w, h, irOf="switch_off.png", ipOf="switch_off_pressed.png", irOn="switch_on.png",
                ipOn="switch_on_pressed.png", teFo="sr12", tCof=KEYTEXT, tCon="235,240,245", tCdi="110,110,110", txAl=1, teOx=7, teOy=4)
def switch(name, t, x, y, w=74, h=22):
    return item("iBct", name, t, x, y, w, h, irOf="switch_off.png", ipOf="switch_off_pressed.png", irOn="switch_on.png",
                ipOn="switch_on_pressed.png", teFo="sr12", tCof=KEYTEXT, tCon="235,240,245", tCdi="110,110,110", txAl=1, teOx=7, teOy=4)
def slider(name, x, y, w=220, maximum=1000):
    track = "slider_track_long.png" if w > 220 else "slider_track_h.png"
    return [item("iBim", "", "", x, y, w, 30, irOf=track),
            item("iBsc", name, "", x, y, w, 30, irOf="slider_knob_h.png", ipOf="slider_knob_h_pressed.png", min_=0, max_=maximum)]
def glass(x, y):
    return item("iBim", "", "", x, y, 392, 62, irOf="audio_glass.png")
def well(x, y, h=112):
    return item("iBim", "", "", x, y, 392, h, irOf="audio_well.png")
def window(file_name, code, title, w, h, items, x, y):
    write(file_name, doc(code, title, w, h, [back(w, h)] + items, x, y, Zoma=0, RszX=0, RszY=0, aupo=1))


# Spectrum: the bars fill the window; the legend sits in the 20 px below them.
window("spectrum.xml", "spct", "]Spectrum[", 300, 420, [
    item("zSpc", "bars", "", 0, 0, 300, 420),
    item("iBim", "", "", 20, 404, 10, 8, irOf="lamp_status_on.png"),
    label("lmic", "]Microphone[", 36, 401, 110, 14, GREEN, "sr09"),
    item("iBim", "", "", 160, 404, 10, 8, irOf="preset_lamp_on.png"),
    label("lspk", "]Speaker[", 176, 401, 110, 14, AMBER, "sr09"),
], 700, 80)


def player_items():
    L = [glass(14, 14),
         label("titl", "", 26, 20, 368, 16, DIMAMBER),
         label("time", "00:00:00.0", 26, 36, 368, 36, AMBER, "sr30")]
    L += slider("scro", 14, 84, 392)
    for i, (code, t) in enumerate((("load", "]Load...["), ("rewi", "]Rewind["), ("play", "]Play["), ("stop", "]Stop["))):
        L.append(key(code, t, 14 + i * 79, 122))
    L.append(switch("loop", "]Loop[", 332, 122))
    L.append(switch("txsw", "]Talk[", 14, 152))
    L.append(switch("tako", "]Key down[", 93, 152))
    L.append(label("hint", "]Space: key down set  Tab: switch sets[", 176, 156, 230, 14, DIMAMBER, "sr09"))
    L.append(well(14, 184))
    for i, (code, t) in enumerate((("send", "]Send["), ("thru", "]Hear["), ("micl", "]Microphone["))):
        L.append(label("l" + code[:3], t, 26, 200 + i * 32, 110, 16))
        L += slider(code, 140, 192 + i * 32, 220, 100000 if code == "send" else 1000)
    return L


window("player.xml", "aupl", "]Player[", 420, 310, player_items(), 160, 120)

timed = player_items()
timed += [
    label("lmin", "]Play every[", 14, 316, 90, 16),
    field("iSet", "mins", 104, 311, 60, 26),
    label("lmi2", "]minutes[", 172, 316, 70, 16),
    key("tmgo", "]Start[", 250, 313),
    key("tmst", "]Stop[", 332, 313),
    label("next", "", 14, 346, 392, 16, AMBER),
]
window("timedplayer.xml", "plut", "]Timed player[", 420, 372, timed, 180, 140)

window("recorder.xml", "aure", "]Recorder[", 420, 164, [
    glass(14, 14),
    label("file", "", 26, 20, 300, 16, DIMAMBER),
    label("time", "00:00:00.0", 26, 36, 300, 36, AMBER, "sr30"),
    item("zLmp", "rlmp", "", 348, 21, 48, 48, irOf="lamp_onair_off.png", irOn="lamp_onair_on.png"),
    key("bCho", "]Choose...[", 14, 88, 90),
    key("bRec", "]Record[", 112, 88),
    key("bStp", "]Stop[", 194, 88),
    label("stts", "", 14, 124, 392, 16, DIMAMBER),
], 200, 160)

tests = []
for i, t in enumerate(("]Microphone to speaker[", "]Echo after two seconds[", "]Tone 440 Hz[", "]Silence[")):
    y = 18 + i * 32
    tests += [item("zLmp", f"lmp{i}", "", 14, y + 4, 30, 14, irOf="lamp_status_off.png", irOn="lamp_status_on.png"),
              label(f"ltt{i}", t, 54, y + 3, 190, 16),
              key(f"run{i}", "]Run[", 250, y), key(f"stp{i}", "]Stop[", 332, y)]
tests += [well(14, 150, 88),
          label("lin", "]Microphone[", 26, 168, 100, 16), item("zLvb", "inlv", "", 130, 164, 264, 22),
          label("lout", "]Speaker[", 26, 206, 100, 16), item("zLvb", "oulv", "", 130, 202, 264, 22),
          label("stts", "", 14, 246, 392, 16, DIMAMBER)]
window("audiotest.xml", "tsta", "]Audio test[", 420, 270, tests, 220, 180)

auto = [switch("aton", "]Voice[", 14, 16),
        label("llev", "]Level[", 104, 19, 60, 16),
        item("zLvb", "levl", "", 170, 15, 236, 22),
        well(14, 50)]
for i, (code, number, t) in enumerate((("alev", "nale", "]Start level["), ("atim", "nati", "]Start after (s)["),
                                       ("dlev", "ndle", "]Stop level["), ("dtim", "ndti", "]Stop after (s)["))):
    y = 54 + i * 26
    auto += [label("l" + code[1:], t, 26, y + 8, 110, 16)]
    auto += slider(code, 140, y, 220, 3000 if code.endswith("tim") else 1000)
    auto += [label(number, "0.000", 364, y + 8, 40, 16, AMBER)]
window("autotalk.xml", "autk", "]Voice activation[", 420, 176, auto, 240, 200)
