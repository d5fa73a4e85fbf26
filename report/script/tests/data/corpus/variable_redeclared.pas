procedure P;
var x, y: Integer; x: String;
begin
end;
