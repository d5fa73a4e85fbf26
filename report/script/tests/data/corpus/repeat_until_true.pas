{ same in Pascal }
function F: Integer;
var n: Integer;
begin
  n := 0;
  repeat
    n := n + 1;
  until True;
  Result := n;
end;
