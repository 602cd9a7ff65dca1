extends "res://tests/godot_test.gd"
## Changing scenes back and forth between two scenes of four views each (eight views in all):
## once through change_scene_to_packed, once through change_scene_to_file, three rounds. Each
## scene's views load and draw after every change, the views of the scene left are destroyed with
## it, and the process ends cleanly (the runner fails the test on leaks reported at exit).

const DEBUG_BACKGROUND := Color("#202020")
const PAGE_COLOUR := Color("#3366cc")
const SCENE_FILE := "user://views_b.tscn"


func run() -> void:
	# The test lives beside the current scene, so that changing it leaves the test running.
	var tree := get_tree()
	reparent.call_deferred(tree.root)
	await tree.process_frame

	var scene_a := pack(make_scene_a())
	check(ResourceSaver.save(pack(make_scene_b()), SCENE_FILE) == OK, "the second scene is saved to a file")

	for round in 3:
		check(tree.change_scene_to_packed(scene_a) == OK, "change_scene_to_packed succeeds")
		await views_shown("scene A, round %d" % round, Vector2(80, 60), DEBUG_BACKGROUND)
		check(tree.change_scene_to_file(SCENE_FILE) == OK, "change_scene_to_file succeeds")
		await views_shown("scene B, round %d" % round, Vector2(400, 60), PAGE_COLOUR)
	check(get_live_views() == 4, "only the current scene's four views are alive (%d)" % get_live_views())


## Four views of the kinds that take the least time to load.
func make_scene_a() -> Node:
	var root := Control.new()
	root.name = "SceneA"
	root.set_anchors_preset(Control.PRESET_FULL_RECT)
	for i in 4:
		var view := ClassDB.instantiate("QmlView") as Control
		view.name = "Qml%d" % i
		view.module = "Debug"
		view.scene = "DebugMouse"
		view.position = Vector2((i % 2) * 320, (i / 2) * 240)
		view.size = Vector2(320, 240)
		root.add_child(view)
	return root


## A web page, a camera, a screen capture and a clip.
func make_scene_b() -> Node:
	var root := Control.new()
	root.name = "SceneB"
	root.set_anchors_preset(Control.PRESET_FULL_RECT)
	var camera := ClassDB.instantiate("CameraView") as Control
	camera.name = "Camera"
	var web := ClassDB.instantiate("WebView") as Control
	web.name = "Web"
	web.url = arguments.get("server", "") + "/colour.html"
	var capture := ClassDB.instantiate("ScreenCaptureView") as Control
	capture.name = "Capture"
	var video := ClassDB.instantiate("VideoPlayer") as Control
	video.name = "Video"
	video.source = "res://media/clip.mp4"
	video.muted = true
	var i := 0
	for view in [camera, web, capture, video]:
		view.position = Vector2((i % 2) * 320, (i / 2) * 240)
		view.size = Vector2(320, 240)
		root.add_child(view)
		i += 1
	return root


func pack(root: Node) -> PackedScene:
	for child in root.get_children():
		child.owner = root
	var packed := PackedScene.new()
	check(packed.pack(root) == OK, "the scene %s packs" % root.name)
	root.free()
	return packed


## Waits for the new scene, then for every view's texture and a known pixel.
func views_shown(what: String, at: Vector2, colour: Color) -> void:
	var tree := get_tree()
	check(await wait_until(func() -> bool: return tree.current_scene != null and tree.current_scene.is_node_ready(), 20),
		"%s: the scene is current" % what)
	var views: Array = tree.current_scene.get_children()
	check(await wait_until(func() -> bool: return views.all(func(v: Control) -> bool: return v.texture != null), 60),
		"%s: every view has its texture (%s)" % [what, views.map(func(v: Control) -> String: return "%s %s" % [v.name, v.texture != null])])
	await expect_pixel(int(at.x), int(at.y), colour, what, 30)


## The views of any kind that are in the tree now.
func get_live_views() -> int:
	var count := 0
	for node in get_tree().root.find_children("*", "", true, false):
		if node.get_class() in ["QmlView", "WebView", "VideoPlayer", "CameraView", "ScreenCaptureView"]:
			count += 1
	return count
