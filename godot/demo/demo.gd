extends Node3D
## The demo: a room with two screens and a HUD. A web page of the game's own files (WebView,
## res://pages/screen.html through the "res" scheme, so that it works from an exported game's
## .pck too) on the large screen, which the player clicks through the 3D hit; a looping clip
## (VideoPlayer) on the small one, heard from that screen through an AudioStreamPlayer3D; a QML
## scene of the game's own (QmlView, res://ui/hud.qml) as a HUD in 2D. The page also fetches a
## 32 MiB file of the game and checks every byte. It saves Godot's own screenshots as PNG files,
## before and after it clicks the page's button, says where they are and quits.
##
##   godot --path <project> -- [--output=DIR] [--clip=PATH] [--check] [--stay]
##
## --output: where the screenshots go (default user://screenshots); --clip: the video (default
## res://media/clip.mp4, a file beside the project or the exported game, not in the .pck: the
## player opens it by its path); --check: reads the saved files back and checks their key pixels (exit
## status 1 when one is off); --stay: keeps running after the screenshots, for a real display.

const PAGE_SIZE := Vector2(1280, 720)
const VIDEO_SIZE := Vector2(640, 360)
const PAGE_SCREEN_SIZE := Vector2(3.2, 1.8)
const VIDEO_SCREEN_SIZE := Vector2(1.6, 0.9)
# Page points the demo knows: the button's centre and an empty spot of the background.
const BUTTON_POINT := Vector2(640, 500)
const BACKGROUND_POINT := Vector2(1150, 340)
const PAGE_BLUE := Color("#3366cc")
const PAGE_GREEN := Color("#33cc66")
# The box that shows the 32 MiB file's check: its centre and its colour when the file was whole.
const FILE_POINT := Vector2(200, 640)
const FILE_OK := Color("#cc33cc")
const VIDEO_GREEN := Color("#00ff00")

var _arguments := {}
var _camera: Camera3D
var _page: Control
var _video: Control
var _hud: Control
var _page_screen: MeshInstance3D
var _video_screen: MeshInstance3D
# The view that gets the keys: the one clicked last.
var _focused: Control
var _spinner: MeshInstance3D


func _ready() -> void:
	for argument in OS.get_cmdline_user_args():
		var parts := argument.trim_prefix("--").split("=", true, 1)
		_arguments[parts[0]] = parts[1] if parts.size() > 1 else "true"
	_build_room()
	_build_views()
	var ok := await _run()
	if _arguments.has("stay"):
		return
	get_tree().quit(0 if ok else 1)


func _process(delta: float) -> void:
	if _spinner:
		_spinner.rotate_y(delta * 1.2)


## What a player does: a mouse event over a screen goes to that screen's view at the UV where the
## camera's ray hits it; keys go to the screen clicked last.
func _unhandled_input(event: InputEvent) -> void:
	if event is InputEventMouse:
		var hit := _screen_hit(event.position)
		if hit.is_empty():
			return
		if event is InputEventMouseButton and event.pressed:
			_focused = hit.view
		if hit.view.push_input_at_uv(event, hit.uv):
			get_viewport().set_input_as_handled()
	elif event is InputEventKey and _focused:
		if _focused.push_input_at_uv(event, Vector2.ZERO):
			get_viewport().set_input_as_handled()


## The screen under a window point and the UV of the hit there: {view, uv}, or empty.
func _screen_hit(window_point: Vector2) -> Dictionary:
	var from := _camera.project_ray_origin(window_point)
	var to := from + _camera.project_ray_normal(window_point) * 50.0
	var hit := get_world_3d().direct_space_state.intersect_ray(PhysicsRayQueryParameters3D.create(from, to))
	if hit.is_empty() or not hit.collider.has_meta("screen"):
		return {}
	var screen: MeshInstance3D = hit.collider.get_meta("screen")
	var size: Vector2 = (screen.mesh as QuadMesh).size
	var local := screen.to_local(hit.position)
	return {"view": screen.get_meta("view"), "uv": Vector2(local.x / size.x + 0.5, 0.5 - local.y / size.y)}


## Where a point of a view's content (in its pixels) appears in the window.
func _window_point(screen: MeshInstance3D, content_size: Vector2, point: Vector2) -> Vector2:
	var uv := (point + Vector2(0.5, 0.5)) / content_size
	var size: Vector2 = (screen.mesh as QuadMesh).size
	return _camera.unproject_position(screen.to_global(Vector3((uv.x - 0.5) * size.x, (0.5 - uv.y) * size.y, 0)))


func _run() -> bool:
	# Each view has its texture once it is loaded (the signals may have come before this waits).
	for view in [_page, _video, _hud]:
		var deadline := Time.get_ticks_msec() + 90000
		while view.texture == null and Time.get_ticks_msec() < deadline:
			await get_tree().process_frame
		if view.texture == null:
			print("DEMO: the %s did not load" % view.get_class())
			return false
	# The page's check of the 32 MiB file ends with its title "file ok" or "file failed: why".
	var file_deadline := Time.get_ticks_msec() + 60000
	while not _page.title.begins_with("file ") and Time.get_ticks_msec() < file_deadline:
		await get_tree().process_frame
	var file_result: String = _page.title if _page.title.begins_with("file ") else "file: no answer"
	print("DEMO: the page's 32 MiB file: " + file_result)
	# Let the clip play and the page settle.
	var until := Time.get_ticks_msec() + 2000
	while Time.get_ticks_msec() < until or _video.playback_state != _video.STATE_PLAYING:
		await get_tree().process_frame
		if Time.get_ticks_msec() > until + 20000:
			print("DEMO: the clip does not play (state %d)" % _video.playback_state)
			return false

	var folder: String = _arguments.get("output", "user://screenshots")
	DirAccess.make_dir_recursive_absolute(folder)
	var before := folder.path_join("room.png")
	await _save_screenshot(before)

	# The click, as a player's: mouse events at the window point where the button shows, through
	# Godot's input (_unhandled_input, the ray, the UV).
	var at := _window_point(_page_screen, PAGE_SIZE, BUTTON_POINT)
	# The page may answer while the click is still being sent: its titles are recorded from before.
	var titles: Array[String] = []
	_page.title_changed.connect(func(t: String) -> void: titles.append(t))
	for attempt in 3:
		await _click(at)
		var deadline := Time.get_ticks_msec() + 8000
		while titles.is_empty() and Time.get_ticks_msec() < deadline:
			await get_tree().process_frame
		if not titles.is_empty():
			break
		print("DEMO: click %d was not seen by the page; again" % (attempt + 1))
	var title = [titles[0]] if not titles.is_empty() else null
	print("DEMO: the page says '%s'" % (title[0] if title != null else "nothing"))
	await _wait_frames(30)
	var after := folder.path_join("clicked.png")
	await _save_screenshot(after)

	print("DEMO: screenshots (Godot's own viewport):")
	print("  " + ProjectSettings.globalize_path(before))
	print("  " + ProjectSettings.globalize_path(after))
	if not _arguments.has("check"):
		return true
	return _check(before, after, title, file_result)


## Reads the saved screenshots back and checks their key pixels.
func _check(before_path: String, after_path: String, title, file_result: String) -> bool:
	var before := Image.load_from_file(before_path)
	var after := Image.load_from_file(after_path)
	var failures: PackedStringArray = []
	if file_result != "file ok":
		failures.append("the page's 32 MiB file (%s)" % file_result)
	if title == null or not String(title[0]).begins_with("clicked "):
		failures.append("the page did not report the click (title %s)" % [title])
	var page_spot := _window_point(_page_screen, PAGE_SIZE, BACKGROUND_POINT)
	var video_spot := _window_point(_video_screen, VIDEO_SIZE, VIDEO_SIZE * 0.75)
	var checks := [
		[before, page_spot, PAGE_BLUE, "room.png: the page's background on the large screen"],
		[before, _window_point(_page_screen, PAGE_SIZE, FILE_POINT), FILE_OK, "room.png: the page's box of the 32 MiB file"],
		[before, video_spot, VIDEO_GREEN, "room.png: the clip's green on the small screen"],
		[after, page_spot, PAGE_GREEN, "clicked.png: the page after the click"],
		[after, video_spot, VIDEO_GREEN, "clicked.png: the clip still playing"],
	]
	for entry in checks:
		var seen: Color = entry[0].get_pixelv(Vector2i(entry[1]))
		var wanted: Color = entry[2]
		var ok := absf(seen.r - wanted.r) <= 0.06 and absf(seen.g - wanted.g) <= 0.06 and absf(seen.b - wanted.b) <= 0.06
		print("DEMO CHECK %s: %s at %s is #%s, expected #%s" % ["ok" if ok else "FAILED", entry[3], Vector2i(entry[1]), seen.to_html(false), wanted.to_html(false)])
		if not ok:
			failures.append(entry[3])
	# The HUD's panel (translucent black) darkens the room behind it.
	var panel: Color = before.get_pixelv(Vector2i(_hud.position) + Vector2i(20, 10))
	var dark := panel.r < 0.3 and panel.g < 0.3 and panel.b < 0.3
	print("DEMO CHECK %s: room.png: the HUD's panel is #%s" % ["ok" if dark else "FAILED", panel.to_html(false)])
	if not dark:
		failures.append("the HUD's panel")
	print("DEMO CHECK PASSED" if failures.is_empty() else "DEMO CHECK FAILED: " + ", ".join(failures))
	return failures.is_empty()


func _click(window_point: Vector2) -> void:
	var motion := InputEventMouseMotion.new()
	motion.position = window_point
	motion.global_position = window_point
	Input.parse_input_event(motion)
	for pressed in [true, false]:
		var button := InputEventMouseButton.new()
		button.position = window_point
		button.global_position = window_point
		button.button_index = MOUSE_BUTTON_LEFT
		button.pressed = pressed
		Input.parse_input_event(button)
		await _wait_frames(2)


func _save_screenshot(path: String) -> void:
	await RenderingServer.frame_post_draw
	get_viewport().get_texture().get_image().save_png(path)


func _wait_frames(count: int) -> void:
	for i in count:
		await get_tree().process_frame


func _build_room() -> void:
	var environment := Environment.new()
	environment.background_mode = Environment.BG_COLOR
	environment.background_color = Color("#101018")
	environment.ambient_light_source = Environment.AMBIENT_SOURCE_COLOR
	environment.ambient_light_color = Color("#808090")
	environment.ambient_light_energy = 0.6
	var world := WorldEnvironment.new()
	world.environment = environment
	add_child(world)

	var light := OmniLight3D.new()
	light.position = Vector3(0, 3.2, 0.5)
	light.omni_range = 9.0
	light.light_energy = 1.6
	add_child(light)

	_add_box(Vector3(0, -0.05, 0), Vector3(10, 0.1, 10), Color("#6b5a4a"))  # floor
	_add_box(Vector3(0, 2, -3.1), Vector3(10, 4, 0.2), Color("#b8b0a0"))  # back wall
	_add_box(Vector3(-4.1, 2, 0), Vector3(0.2, 4, 10), Color("#a8a090"))  # left wall
	_add_box(Vector3(4.1, 2, 0), Vector3(0.2, 4, 10), Color("#a8a090"))  # right wall
	_add_box(Vector3(0.3, 0.4, -1.2), Vector3(2.4, 0.8, 0.8), Color("#3a3a44"))  # a desk
	_spinner = _add_box(Vector3(1.9, 1.0, -1.2), Vector3(0.3, 0.3, 0.3), Color("#d04040"))  # Godot's own animation

	_camera = Camera3D.new()
	_camera.position = Vector3(0.2, 1.6, 2.6)
	_camera.fov = 60
	add_child(_camera)
	_camera.look_at(Vector3(0.2, 1.6, -3))


func _build_views() -> void:
	_page = ClassDB.instantiate("WebView")
	_page.size = PAGE_SIZE
	_page.visible = false  # it renders for the screen; the screen is what the player sees
	_page.url = "res://game/pages/screen.html"
	add_child(_page)
	_page_screen = _add_screen(_page, Vector3(-1.0, 1.75, -2.98), PAGE_SCREEN_SIZE)

	_video = ClassDB.instantiate("VideoPlayer")
	_video.size = VIDEO_SIZE
	_video.visible = false
	_video.loops = -1
	_video.fill_mode = _video.FILL_STRETCH
	_video.source = _arguments.get("clip", "res://media/clip.mp4")
	add_child(_video)
	_video_screen = _add_screen(_video, Vector3(1.9, 2.05, -2.98), VIDEO_SCREEN_SIZE)
	# The clip is heard from its screen, through the game's audio buses.
	var speaker := AudioStreamPlayer3D.new()
	speaker.position = Vector3(1.9, 2.05, -2.9)
	add_child(speaker)
	_video.audio_player = _video.get_path_to(speaker)

	# The HUD: the game's own QML scene over the room, in 2D.
	var layer := CanvasLayer.new()
	add_child(layer)
	_hud = ClassDB.instantiate("QmlView")
	_hud.source = "res://ui/hud.qml"
	_hud.position = Vector2(16, 16)
	_hud.size = Vector2(480, 270)
	_hud.mouse_filter = Control.MOUSE_FILTER_IGNORE
	layer.add_child(_hud)


## A screen on the wall showing a view: a quad with the view's texture in an unshaded material
## (a screen gives light; it is not lit), a bezel, and a body for the ray.
func _add_screen(view: Control, at: Vector3, size: Vector2) -> MeshInstance3D:
	_add_box(at + Vector3(0, 0, -0.03), Vector3(size.x + 0.12, size.y + 0.12, 0.04), Color("#15151a"))
	var screen := MeshInstance3D.new()
	var quad := QuadMesh.new()
	quad.size = size
	screen.mesh = quad
	screen.position = at
	var material := StandardMaterial3D.new()
	material.shading_mode = BaseMaterial3D.SHADING_MODE_UNSHADED
	material.albedo_texture = view.texture_3d
	screen.material_override = material
	screen.set_meta("view", view)
	add_child(screen)
	# The texture exists once the view is loaded (and is replaced by a resize): the material
	# follows it.
	view.texture_changed.connect(func() -> void: material.albedo_texture = view.texture_3d)

	var body := StaticBody3D.new()
	body.set_meta("screen", screen)
	var shape := CollisionShape3D.new()
	var box := BoxShape3D.new()
	box.size = Vector3(size.x, size.y, 0.01)
	shape.shape = box
	body.add_child(shape)
	screen.add_child(body)
	return screen


func _add_box(at: Vector3, size: Vector3, colour: Color) -> MeshInstance3D:
	var box := MeshInstance3D.new()
	var mesh := BoxMesh.new()
	mesh.size = size
	box.mesh = mesh
	box.position = at
	var material := StandardMaterial3D.new()
	material.albedo_color = colour
	box.material_override = material
	add_child(box)
	return box
