extends "res://demo.gd"
## The demo's room and its frame rate with one kind of load on its screens (--view=):
##   none         the room alone
##   godot        a 1920x1080 animated texture of Godot's own (a SubViewport with a moving shader)
##   page         an animated 1920x1080 page, rendered ahead (page_waited: with the waited render())
##   still        a still 1920x1080 page
##   qml          the library's moving test pattern, 1280x720, rendered ahead (qml_waited: waited)
##   many         16 views of 640x360: one moving test pattern and 15 still scenes
## Prints one line:
##   BENCH <view> <frames/s> frames/s, process <ms> ms per frame (Performance.TIME_PROCESS)
##
##   godot --path <demo project> res://bench/frame_rate.tscn -- --view=<view> [--seconds=N]

const BENCH_PAGE_SIZE := Vector2(1920, 1080)
const QML_SIZE := Vector2(1280, 720)
const SMALL_SIZE := Vector2(640, 360)
const SCREEN_AT := Vector3(-1.0, 1.75, -2.98)


func _ready() -> void:
	for argument in OS.get_cmdline_user_args():
		var parts := argument.trim_prefix("--").split("=", true, 1)
		_arguments[parts[0]] = parts[1] if parts.size() > 1 else "true"
	_build_room()
	var mode: String = _arguments.get("view", "none")
	var seconds := float(_arguments.get("seconds", "8"))
	var views: Array[Control] = []
	match mode:
		"none":
			pass
		"godot":
			_add_godot_texture()
		"page", "page_waited":
			views.append(_add_view(_web_view("animated.html"), BENCH_PAGE_SIZE, mode == "page", SCREEN_AT, PAGE_SCREEN_SIZE))
		"still":
			views.append(_add_view(_web_view("still.html"), BENCH_PAGE_SIZE, true, SCREEN_AT, PAGE_SCREEN_SIZE))
		"qml", "qml_waited":
			views.append(_add_view(_qml_view("DebugVideo"), QML_SIZE, mode == "qml", SCREEN_AT, PAGE_SCREEN_SIZE))
		"many":
			for i in 16:
				var at := Vector3(-3.0 + (i % 4) * 1.3, 0.9 + (i / 4) * 0.75, -2.98)
				var view := _qml_view("DebugVideo" if i == 0 else "DebugMouse")
				views.append(_add_view(view, SMALL_SIZE, true, at, Vector2(1.2, 0.675)))
		_:
			print("BENCH %s: no such view" % mode)
			get_tree().quit(2)
			return
	var deadline := Time.get_ticks_msec() + 90000
	while views.any(func(v: Control) -> bool: return v.texture == null) and Time.get_ticks_msec() < deadline:
		await get_tree().process_frame
	if views.any(func(v: Control) -> bool: return v.texture == null):
		print("BENCH %s: the views did not load" % mode)
		get_tree().quit(1)
		return
	# Settle, then count frames.
	var settle := Time.get_ticks_msec() + 3000
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


func _web_view(page: String) -> Control:
	var view: Control = ClassDB.instantiate("WebView")
	view.url = "file://" + ProjectSettings.globalize_path("res://bench/pages/" + page)
	return view


func _qml_view(scene: String) -> Control:
	var view: Control = ClassDB.instantiate("QmlView")
	view.module = "Debug"
	view.scene = scene
	return view


## A view off screen at `size`, shown on a screen of the room.
func _add_view(view: Control, size: Vector2, ahead: bool, at: Vector3, screen_size: Vector2) -> Control:
	view.render_ahead = ahead
	view.size = size
	view.visible = false
	add_child(view)
	_add_screen(view, at, screen_size)
	return view


## Godot's own moving 1920x1080 picture on the same screen: a SubViewport with a shader that
## changes every pixel every frame.
func _add_godot_texture() -> void:
	var viewport := SubViewport.new()
	viewport.size = Vector2i(BENCH_PAGE_SIZE)
	viewport.render_target_update_mode = SubViewport.UPDATE_ALWAYS
	var rect := ColorRect.new()
	rect.size = BENCH_PAGE_SIZE
	var material := ShaderMaterial.new()
	material.shader = Shader.new()
	material.shader.code = "shader_type canvas_item;\nvoid fragment() {\n" + \
			"  COLOR = vec4(0.5 + 0.5 * sin(TIME * 3.0 + UV.x * 20.0), 0.5 + 0.5 * cos(TIME * 2.0 + UV.y * 15.0), 0.6, 1.0);\n}\n"
	rect.material = material
	viewport.add_child(rect)
	add_child(viewport)
	var screen := MeshInstance3D.new()
	var quad := QuadMesh.new()
	quad.size = PAGE_SCREEN_SIZE
	screen.mesh = quad
	screen.position = SCREEN_AT
	var screen_material := StandardMaterial3D.new()
	screen_material.shading_mode = BaseMaterial3D.SHADING_MODE_UNSHADED
	screen_material.albedo_texture = viewport.get_texture()
	screen.material_override = screen_material
	add_child(screen)
