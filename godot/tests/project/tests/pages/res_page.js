document.addEventListener('DOMContentLoaded', () => {
    document.getElementById('status').textContent = 'script ran';
});
