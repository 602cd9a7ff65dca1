extends "res://tests/godot_test.gd"
## A page of the project itself through the "res" scheme on a WebView: the page, its style sheet
## and its script come from the project's files (res://tests/pages/), a missing file fails its
## request, and only files inside the project are served.

const PAGE := "res://game/tests/pages/res_page.html"
const STYLE_COLOUR := Color("#cc6633")


func run() -> void:
	var view := ClassDB.instantiate("WebView") as Control
	view.size = Vector2(640, 480)
	view.url = PAGE
	var loaded := record_signal(view.load_finished)
	add_child(view)
	var result = await wait_recorded(loaded, 60)
	check(result != null and result[0] == PAGE and result[1], "the page loads from the project (got %s)" % [result])
	await expect_pixel(320, 240, STYLE_COLOUR, "the background of the page's style sheet")

	var answers := {}
	view.javascript_finished.connect(func(id: int, value: Variant, _error: String) -> void: answers[id] = value)
	var from_script: int = view.run_javascript("document.getElementById('status').textContent")
	var missing: int = view.run_javascript(
		"fetch('missing.txt').then(r => 'status ' + r.status, e => 'failed')")
	var text: int = view.run_javascript("fetch('res_data.txt').then(r => r.text())")
	check(await wait_until(func() -> bool: return answers.size() == 3, 20), "three script results arrive (got %s)" % [answers])
	check(answers.get(from_script) == "script ran", "the page's own script ran (got %s)" % [answers.get(from_script)])
	check(answers.get(missing) in ["failed", "status 404"], "a missing file fails (got %s)" % [answers.get(missing)])
	check(str(answers.get(text)).strip_edges() == "served from the project",
		"a text file is served with its bytes (got %s)" % [answers.get(text)])
