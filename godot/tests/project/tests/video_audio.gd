extends "res://tests/godot_test.gd"
## A VideoPlayer whose sound plays through Godot: a 440 Hz tone at 48000 Hz with a peak of 0.5
## (res://media/tone.mkv) goes through an AudioStreamPlayer on a bus of its own, where an
## AudioEffectCapture reads what Godot mixes (Godot's Dummy audio driver mixes in real time, so
## the capture sees the frames it would play). Frequency and level arrive unchanged at Godot's mix
## rate, without gaps; muted gives silence, the player's volume scales it; another path moves the
## sound to an AudioStreamPlayer3D; an empty path gives the sound back to the system's output and
## leaves the audio player stopped.

const TONE := "res://media/tone.mkv"
const TONE_HZ := 440.0
const TONE_PEAK := 0.5

var _capture: AudioEffectCapture
var _captured := PackedVector2Array()


func run() -> void:
	var bus := AudioServer.bus_count
	AudioServer.add_bus(bus)
	AudioServer.set_bus_name(bus, "VideoSound")
	_capture = AudioEffectCapture.new()
	_capture.buffer_length = 1.0
	AudioServer.add_bus_effect(bus, _capture)

	var speaker := AudioStreamPlayer.new()
	speaker.name = "Speaker"
	speaker.bus = "VideoSound"
	add_child(speaker)
	var player := ClassDB.instantiate("VideoPlayer") as Control
	player.size = Vector2(320, 240)
	player.loops = -1
	player.source = TONE
	player.audio_player = NodePath("../Speaker")
	check(player.audio_player == NodePath("../Speaker"), "audio_player keeps its path")
	add_child(player)
	if not check(await wait_until(func() -> bool: return player.playback_state == player.STATE_PLAYING, 60),
			"the tone plays (state %d)" % player.playback_state):
		return
	check(speaker.stream is AudioStreamGenerator and speaker.playing,
		"the audio player got a generator and plays (stream %s, playing %s)" % [speaker.stream, speaker.playing])

	var mix_rate := AudioServer.get_mix_rate()
	await capture(int(mix_rate / 2))  # the start, before the first sound arrived
	var frames := await capture(int(mix_rate))
	var left := channel(frames, 0)
	var hz := frequency(left, mix_rate)
	print("captured %d frames at %d Hz: %.1f Hz, peak %.3f, rms %.3f, %d gaps" % [frames.size(), mix_rate, hz, peak(left), rms(left), gaps(left)])
	check(frames.size() >= int(mix_rate) / 2, "sound reaches Godot's bus (%d frames in a second)" % frames.size())
	check(absf(hz - TONE_HZ) < 5.0, "the tone's frequency arrives: %.1f Hz" % hz)
	check(absf(peak(left) - TONE_PEAK) < 0.05, "the tone's level arrives: peak %.3f" % peak(left))
	check(absf(rms(left) - TONE_PEAK / sqrt(2.0)) < 0.015, "the tone's rms arrives: %.3f" % rms(left))
	check(gaps(left) == 0, "the sound runs without gaps (%d silent stretches)" % gaps(left))
	var right := channel(frames, 1)
	check(absf(peak(right) - TONE_PEAK) < 0.05, "both channels carry it: right peak %.3f" % peak(right))

	player.volume = 0.5
	await capture(int(mix_rate / 2))  # what was on its way before the change
	var half := channel(await capture(int(mix_rate / 2)), 0)
	check(absf(peak(half) - TONE_PEAK * 0.5) < 0.05 and gaps(half) == 0,
		"volume 0.5 halves it: peak %.3f, %d gaps" % [peak(half), gaps(half)])

	player.muted = true
	await capture(int(mix_rate / 2))
	var muted := await capture(int(mix_rate / 2))
	check(muted.size() > 0 and peak(channel(muted, 0)) < 0.001,
		"muted silences it: peak %.4f over %d frames" % [peak(channel(muted, 0)), muted.size()])
	player.muted = false

	# To a player in 3D: the first one stops, the new one gets the generator and plays.
	var world := Node3D.new()
	world.name = "World"
	add_child(world)
	var speaker_3d := AudioStreamPlayer3D.new()
	speaker_3d.name = "Speaker3D"
	world.add_child(speaker_3d)
	player.audio_player = NodePath("../World/Speaker3D")
	check(await wait_until(func() -> bool: return speaker_3d.playing, 5) and speaker_3d.stream is AudioStreamGenerator,
		"an AudioStreamPlayer3D takes over the sound")
	check(not speaker.playing, "the audio player it left stops")

	player.audio_player = NodePath()
	await wait_frames(5)
	check(not speaker_3d.playing, "an empty audio_player stops the audio player")
	check(player.playback_state == player.STATE_PLAYING, "the video goes on playing")


## Frames mixed into the bus until `count` arrived (or 5 s passed).
func capture(count: int) -> PackedVector2Array:
	var out := PackedVector2Array()
	_capture.get_buffer(_capture.get_frames_available())  # older frames
	var deadline := Time.get_ticks_msec() + 5000
	while out.size() < count and Time.get_ticks_msec() < deadline:
		await get_tree().process_frame
		var available := _capture.get_frames_available()
		if available > 0:
			out.append_array(_capture.get_buffer(available))
	return out


func channel(frames: PackedVector2Array, index: int) -> PackedFloat32Array:
	var out := PackedFloat32Array()
	out.resize(frames.size())
	for i in frames.size():
		out[i] = frames[i].x if index == 0 else frames[i].y
	return out


func peak(samples: PackedFloat32Array) -> float:
	var out := 0.0
	for s in samples:
		out = maxf(out, absf(s))
	return out


func rms(samples: PackedFloat32Array) -> float:
	if samples.is_empty():
		return 0.0
	var sum := 0.0
	for s in samples:
		sum += s * s
	return sqrt(sum / samples.size())


## Stretches of 8 or more silent samples: the generator ran dry (a tone crosses zero in one).
func gaps(samples: PackedFloat32Array) -> int:
	var out := 0
	var run := 0
	for s in samples:
		run = run + 1 if absf(s) < 0.0001 else 0
		if run == 8:
			out += 1
	return out


## From the rising zero crossings.
func frequency(samples: PackedFloat32Array, rate: float) -> float:
	var first := -1
	var last := -1
	var rising := 0
	for i in range(1, samples.size()):
		if samples[i - 1] < 0.0 and samples[i] >= 0.0:
			if first < 0:
				first = i
			last = i
			rising += 1
	if rising < 2:
		return 0.0
	return (rising - 1) * rate / (last - first)
