extends Control
## The base of every test: a full-window Control that runs `run()` and quits with its result.
## A test reads pixels from Godot's own viewport, so what it checks is what the player sees.

## The runner's command-line arguments (test, server).
var arguments := {}
var _failures: PackedStringArray = []


func _ready() -> void:
	set_anchors_preset(Control.PRESET_FULL_RECT)
	await run()
	if _failures.is_empty():
		print("TEST PASSED")
		get_tree().quit(0)
	else:
		for failure in _failures:
			print("FAILED CHECK: ", failure)
		print("TEST FAILED")
		get_tree().quit(1)


## Overridden by each test.
func run() -> void:
	pass


func check(condition: bool, what: String) -> bool:
	if not condition:
		_failures.append(what)
	return condition


## The smoke scene's views, not yet in the tree, each 320x240 in a quarter of the window: the
## Debug module's mouse scene (top left), the colour page (top right) and the looping clip
## (bottom left). Returns {qml, web, video}.
func smoke_views() -> Dictionary:
	var qml := ClassDB.instantiate("QmlView") as Control
	qml.module = "Debug"
	qml.scene = "DebugMouse"
	qml.size = Vector2(320, 240)
	var web := ClassDB.instantiate("WebView") as Control
	web.url = arguments.get("server", "") + "/colour.html"
	web.position = Vector2(320, 0)
	web.size = Vector2(320, 240)
	var video := ClassDB.instantiate("VideoPlayer") as Control
	video.source = "res://media/clip.mp4"
	video.muted = true
	video.loops = -1
	video.fill_mode = video.FILL_STRETCH
	video.position = Vector2(0, 240)
	video.size = Vector2(320, 240)
	return {"qml": qml, "web": web, "video": video}


## Waits for a signal; its arguments, or null after the time limit.
func wait_signal(sig: Signal, seconds := 30.0) -> Variant:
	var state := {"fired": false, "args": []}
	var on_fire := func(...args: Array) -> void:
		if not state.fired:
			state.fired = true
			state.args = args
	sig.connect(on_fire)
	var deadline := Time.get_ticks_msec() + int(seconds * 1000)
	while not state.fired and Time.get_ticks_msec() < deadline:
		await get_tree().process_frame
	sig.disconnect(on_fire)
	return state.args if state.fired else null


## Starts recording the first emission of `sig` at once: for a signal that may come while the
## test still awaits something else. wait_recorded() then waits for it.
func record_signal(sig: Signal) -> Dictionary:
	var state := {"fired": false, "args": []}
	var on_fire := func(...args: Array) -> void:
		if not state.fired:
			state.fired = true
			state.args = args
	sig.connect(on_fire)
	return state


## The arguments of a recorded signal once it came; null after the time limit.
func wait_recorded(state: Dictionary, seconds := 30.0) -> Variant:
	var deadline := Time.get_ticks_msec() + int(seconds * 1000)
	while not state.fired and Time.get_ticks_msec() < deadline:
		await get_tree().process_frame
	return state.args if state.fired else null


## The value of the page's input field `field_id` once it is `expected` (it is read again until
## then, 20 times at most); otherwise its last value.
func field_value(view: Control, field_id: String, expected: String) -> String:
	var answers := {}
	view.javascript_finished.connect(func(id: int, result: Variant, _error: String) -> void: answers[id] = result)
	var value := ""
	for attempt in 20:
		var id: int = view.run_javascript("document.getElementById('%s').value" % field_id)
		await wait_until(func() -> bool: return answers.has(id), 10)
		value = str(answers.get(id))
		if value == expected:
			break
		await wait_frames(5)
	return value


## Runs a script in the page of `view` and returns its result (awaited when it is a promise),
## "error: ..." when it threw, "no answer" when none came within `seconds`.
func js(view: Control, script: String, seconds := 20.0) -> Variant:
	if not view.has_meta("js_answers"):
		var store := {}
		view.set_meta("js_answers", store)
		view.javascript_finished.connect(func(id: int, value: Variant, error: String) -> void: store[id] = [value, error])
	var answers: Dictionary = view.get_meta("js_answers")
	var id: int = view.run_javascript(script)
	if not await wait_until(func() -> bool: return answers.has(id), seconds):
		return "no answer"
	var answer: Array = answers[id]
	return answer[0] if answer[1] == "" else "error: " + answer[1]


## Waits until the condition holds; false after the time limit.
func wait_until(condition: Callable, seconds := 30.0) -> bool:
	var deadline := Time.get_ticks_msec() + int(seconds * 1000)
	while Time.get_ticks_msec() < deadline:
		if await condition.call():
			return true
		await get_tree().process_frame
	return false


func wait_frames(count: int) -> void:
	for i in count:
		await get_tree().process_frame


## The colour of a pixel of the window, as drawn in the last frame.
func pixel(x: int, y: int) -> Color:
	await RenderingServer.frame_post_draw
	return get_viewport().get_texture().get_image().get_pixel(x, y)


func same_colour(a: Color, b: Color, tolerance := 0.04) -> bool:
	return absf(a.r - b.r) <= tolerance and absf(a.g - b.g) <= tolerance and absf(a.b - b.b) <= tolerance


## Waits until a pixel shows the colour; reports the colour it last saw when it does not.
func expect_pixel(x: int, y: int, colour: Color, what: String, seconds := 20.0) -> bool:
	var seen := Color()
	var deadline := Time.get_ticks_msec() + int(seconds * 1000)
	while Time.get_ticks_msec() < deadline:
		seen = await pixel(x, y)
		if same_colour(seen, colour):
			return true
	return check(false, "%s: pixel (%d, %d) is #%s, expected #%s" % [what, x, y, seen.to_html(false), colour.to_html(false)])


func mouse_button(position: Vector2, pressed: bool, button := MOUSE_BUTTON_LEFT) -> void:
	var event := InputEventMouseButton.new()
	event.position = position
	event.global_position = position
	event.button_index = button
	event.pressed = pressed
	Input.parse_input_event(event)


func click(position: Vector2) -> void:
	var motion := InputEventMouseMotion.new()
	motion.position = position
	motion.global_position = position
	Input.parse_input_event(motion)
	mouse_button(position, true)
	await wait_frames(2)
	mouse_button(position, false)


func type_text(text: String) -> void:
	for character in text:
		for pressed in [true, false]:
			var event := InputEventKey.new()
			event.keycode = OS.find_keycode_from_string(character.to_upper())
			event.unicode = character.unicode_at(0)
			event.pressed = pressed
			Input.parse_input_event(event)
		await wait_frames(1)
