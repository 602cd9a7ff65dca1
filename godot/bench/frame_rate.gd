extends "res://demo.gd"
## The demo's room with one animated view (the library's moving test pattern, 1280x720, on the
## large screen) or none, and its frame rate: how much Godot's frame costs with the view rendered
## ahead, with the waited render(), and without the view. Prints one line:
##   BENCH <view> <frames/s> frames/s, process <ms> ms per frame (Performance.TIME_PROCESS)
##
##   godot --path <demo project> res://bench/frame_rate.tscn -- --view=none|ahead|waited [--seconds=N]

const BENCH_SIZE := Vector2(1280, 720)


func _ready() -> void:
	for argument in OS.get_cmdline_user_args():
		var parts := argument.trim_prefix("--").split("=", true, 1)
		_arguments[parts[0]] = parts[1] if parts.size() > 1 else "true"
	_build_room()
	var mode: String = _arguments.get("view", "none")
	var seconds := float(_arguments.get("seconds", "8"))
	if mode != "none":
		var view: Control = ClassDB.instantiate("QmlView")
		view.module = "Debug"
		view.scene = "DebugVideo"
		view.render_ahead = mode == "ahead"
		view.size = BENCH_SIZE
		view.visible = false
		add_child(view)
		_add_screen(view, Vector3(-1.0, 1.75, -2.98), PAGE_SCREEN_SIZE)
		var deadline := Time.get_ticks_msec() + 60000
		while view.texture == null and Time.get_ticks_msec() < deadline:
			await get_tree().process_frame
		if view.texture == null:
			print("BENCH %s: the view did not load" % mode)
			get_tree().quit(1)
			return
	# Settle, then count frames.
	var settle := Time.get_ticks_msec() + 2000
	while Time.get_ticks_msec() < settle:
		await get_tree().process_frame
	var start_usec := Time.get_ticks_usec()
	var start_frames := Engine.get_process_frames()
	var process_usec := 0.0
	while Time.get_ticks_usec() - start_usec < seconds * 1000000.0:
		await get_tree().process_frame
		process_usec += Performance.get_monitor(Performance.TIME_PROCESS) * 1000000.0
	var frames := Engine.get_process_frames() - start_frames
	var elapsed := (Time.get_ticks_usec() - start_usec) / 1000000.0
	print("BENCH %s %.1f frames/s, process %.2f ms per frame" % [mode, frames / elapsed, process_usec / 1000.0 / frames])
	get_tree().quit(0)
