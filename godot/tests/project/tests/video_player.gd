extends "res://tests/godot_test.gd"
## A clip made by ffmpeg (res://media/clip.mp4: 4 s, green with a moving pattern in the top-left
## quarter, one audio track, titled "Godot Test Clip") on a VideoPlayer: its frame in Godot's
## window, the player's properties and controls, its signals in order on the main thread, tracks
## and metadata, the end of the media, and the error for a missing file.

const GREEN := Color("#00ff00")
const CLIP := "res://media/clip.mp4"

var _seen: Array[String] = []
var _off_main_thread := 0


func run() -> void:
	var player := ClassDB.instantiate("VideoPlayer") as Control
	if not check(player != null, "the class VideoPlayer exists"):
		return
	player.size = Vector2(640, 480)
	player.fill_mode = player.FILL_STRETCH
	player.muted = true
	player.source = CLIP
	check(player.source == CLIP and player.loops == 1 and player.autoplay and not player.controls,
		"a new player keeps its source and has its defaults (once, autoplay, no on-screen controls)")
	record(player, "playback_state_changed")
	record(player, "media_status_changed")
	record(player, "duration_changed")
	record(player, "finished")
	record(player, "tracks_changed")
	record(player, "metadata_changed")
	var positions: Array[float] = []
	player.position_changed.connect(func(p: float) -> void: positions.append(p))
	add_child(player)

	var loaded = await wait_signal(player.scene_loaded, 60)
	if not check(loaded != null and loaded[0], "scene_loaded(true) arrives (got %s)" % [loaded]):
		return
	check(await wait_until(func() -> bool: return player.playback_state == player.STATE_PLAYING, 20),
		"the clip plays by itself (state %d)" % player.playback_state)
	check(absf(player.duration - 4.0) < 0.2, "duration is the clip's 4 s (got %.3f)" % player.duration)
	await expect_pixel(500, 400, GREEN, "the clip's green, stretched over the player", 20)

	check(await wait_until(func() -> bool: return player.get_metadata().get("Title", "") == "Godot Test Clip", 10),
		"the metadata carries the clip's title (got %s)" % [player.get_metadata()])
	var audio: Array = player.get_audio_tracks()
	var video: Array = player.get_video_tracks()
	check(audio.size() == 1 and video.size() == 1 and audio[0] is Dictionary,
		"one audio and one video track, each a Dictionary (got %s and %s)" % [audio, video])
	check("tracks_changed" in _seen and "metadata_changed" in _seen, "tracks_changed and metadata_changed arrive (seen %s)" % [_seen])
	check(_seen.has("duration_changed 4"), "duration_changed gives the duration in seconds (seen %s)" % [_seen])

	player.pause()
	check(await wait_until(func() -> bool: return player.playback_state == player.STATE_PAUSED, 10), "pause() pauses")
	var paused_at: float = player.playback_position
	await wait_frames(20)
	check(absf(player.playback_position - paused_at) < 0.05, "the position stays while paused (%.3f, then %.3f)" % [paused_at, player.playback_position])
	check(positions.size() > 0 and positions.back() > 0.0, "position_changed arrived while playing (got %d)" % positions.size())

	player.playback_position = 3.0
	check(await wait_until(func() -> bool: return absf(player.playback_position - 3.0) < 0.3, 10),
		"setting playback_position seeks (it is %.3f)" % player.playback_position)
	_seen.clear()
	player.play()
	var ended = await wait_signal(player.finished, 20)
	check(ended != null, "finished arrives at the end of the clip")
	await wait_frames(5)
	var end_status := _seen.find("media_status_changed 6")
	check(_seen.has("playback_state_changed 1") and end_status >= 0 and _seen.find("finished") == end_status + 1,
		"playing, then the end of the media, then finished, in order (seen %s)" % [_seen])
	check(_off_main_thread == 0, "every signal arrives on the main thread (%d did not)" % _off_main_thread)

	# A file that does not exist: the player's error, as a signal and a text.
	var broken := ClassDB.instantiate("VideoPlayer") as Control
	broken.size = Vector2(256, 256)
	broken.source = "res://media/missing.mp4"
	add_child(broken)
	var error = await wait_signal(broken.error_occurred, 30)
	check(error != null and error[0] == broken.ERROR_RESOURCE and error[1] != "",
		"error_occurred(ERROR_RESOURCE, text) for a missing file (got %s)" % [error])
	check(broken.get_error_string() != "", "get_error_string() gives the error's text")


## Notes each emission of a signal as "name arg..." and whether it came on the main thread.
func record(node: Object, signal_name: String) -> void:
	node.connect(signal_name, func(...args: Array) -> void:
		if OS.get_thread_caller_id() != OS.get_main_thread_id():
			_off_main_thread += 1
		var text := signal_name
		for arg in args:
			text += " " + (str(int(arg)) if arg is float else str(arg))
		_seen.append(text))
